// One half through the desktop program's main window, as a user runs it: the window is shown, the
// profile selected, the role chosen, the direction pressed; the full-copy question, when it comes,
// is answered as given. Prints the half's wall time in seconds, for bench/run-gui-send to set
// beside tarvela-cli's on the same trees.
// Usage: gui_send MEDIUM/ work|home work-home|home-work all|none
//        (offscreen platform unless QT_QPA_PLATFORM is set; the window shows the default style)
#include "tarvela_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: gui_send MEDIUM/ work|home work-home|home-work all|none\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string medium = argv[1];
    if (medium.back() != '/')
        medium += '/';
    const bool home = std::strcmp(argv[2], "home") == 0;
    const bool workHome = std::strcmp(argv[3], "work-home") == 0;
    const bool copyAll = std::strcmp(argv[4], "all") == 0;

    tarvela::ui::TFmTarvela w(medium);
    w.FormCreate();
    w.resize(953, 562);
    w.show();
    w.FormActivate();
    QApplication::processEvents();
    w.findChild<QListWidget*>(QStringLiteral("RzListBoxProfile"))->setCurrentRow(0);
    w.findChild<QRadioButton*>(home ? QStringLiteral("RzRadioButtonHome") : QStringLiteral("RzRadioButtonWork"))
        ->click();
    w.modalDriver().setNextAnswer([copyAll](QDialog& d) {
        d.findChild<QCheckBox*>(QStringLiteral("RzCheckBoxCopyAll"))->setChecked(copyAll);
        d.findChild<QCheckBox*>(QStringLiteral("RzCheckBoxAll"))->setChecked(true);
        d.findChild<QPushButton*>(QStringLiteral("RzBitBtnOk"))->click();
    });
    QPushButton* direction = w.findChild<QPushButton*>(workHome ? QStringLiteral("RzBtnTarvelaWorkHome")
                                                                 : QStringLiteral("RzBtnTarvelaHomeWork"));
    if (!direction->isEnabled()) {
        std::fprintf(stderr, "gui_send: the direction is not enabled\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    direction->click();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (w.lastResult() != tarvela::HalfResult::Completed) {
        std::fprintf(stderr, "gui_send: the half did not complete\n");
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
