// The echo pane under a long run: appends 100 000 coloured lines to a shown pane, letting the
// event loop run every 1 000 lines (a run does so every ~20 ms), and compares the cost of one
// append put into the document at once (append + flush, the worst case: as if the event loop ran
// after every line) around the 100th line with the same around the 100 000th. A pane whose append
// cost grows with its length would slow every long run down; the ratio should stay near 1.
// Usage: echo_append [lines]   (offscreen platform unless QT_QPA_PLATFORM is set)
#include "base/echo_color.h"
#include "echo_pane.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kColors[] = {tarvela::color::kGreen, tarvela::color::kTeal, tarvela::color::kRed,
                                     tarvela::color::kBlue};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long lines = argc > 1 ? std::max(1000L, std::strtol(argv[1], nullptr, 10)) : 100000L;
    constexpr long kWindow = 200; // appends measured around each point

    tarvela::ui::EchoPane pane(nullptr);
    pane.resize(856, 240);
    pane.show();
    QApplication::processEvents();

    std::vector<double> early;
    std::vector<double> late;
    const auto start = Clock::now();
    for (long i = 1; i <= lines; ++i) {
        const std::string text = "Файл добавлен: /home/user/Документы/папка " + std::to_string(i % 977) + "/файл_" +
                                 std::to_string(i) + ".txt";
        const bool isEarly = i > 100 - kWindow / 2 && i <= 100 + kWindow / 2;
        const bool isLate = i > lines - kWindow;
        if (isEarly || isLate)
            pane.flush(); // measure this line alone
        const auto t0 = Clock::now();
        pane.AddEchoText(text, kColors[i % 4]);
        if (isEarly || isLate)
            pane.flush();
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        if (isEarly)
            early.push_back(us);
        if (isLate)
            late.push_back(us);
        // A run lets the event loop work every ~20 ms; here every 1 000 lines, so repaints happen.
        if (i % 1000 == 0)
            QApplication::processEvents();
    }
    pane.flush();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    const double e = median(early);
    const double l = median(late);
    std::printf("echo pane: %ld lines appended in %.2f s (%.1f us per line on average)\n", lines, total,
                total * 1e6 / static_cast<double>(lines));
    std::printf("median append + flush around line 100:    %.1f us\n", e);
    std::printf("median append + flush around line %ld: %.1f us\n", lines, l);
    std::printf("ratio (late / early): %.2f\n", l / e);
    return 0;
}
