// Compares two lists of COUNT entries, as a half does for one folder pair, and reports the time
// and the peak memory: compare_million [COUNT]
// One entry in 100 is newer on the source side, one in 100 exists only on either side, and the
// destination's names differ in letter case, so every lookup takes the case-folding path.
#include "sync/compare_lists.h"
#include "sync/run_control.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

namespace {

long peakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

tarvela::TFileList makeList(long count, bool source) {
    tarvela::TFileList list;
    for (long i = 0; i < count; ++i) {
        const bool onlyHere = i % 100 == (source ? 1 : 2);
        const std::string dir = (source ? "Documents/dir" : "documents/DIR") + std::to_string(i / 1000);
        const std::string name = dir + (source ? "/file" : "/FILE") + std::to_string(onlyHere ? i + count : i) + ".txt";
        auto a = std::make_unique<tarvela::TAtrib>();
        a->Nature = 1;
        a->SizeFile = 1000;
        a->FileDataTime = source && i % 100 == 0 ? 45001.0 : 45000.0;
        list.add(name, std::move(a));
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    tarvela::TFileList S = makeList(count, true);
    tarvela::TFileList D = makeList(count, false);
    const long beforeKiB = peakKiB();

    tarvela::QuietRunHost host;
    const auto start = std::chrono::steady_clock::now();
    const std::int64_t sum = tarvela::CompareListsOfFiles(
        S, std::move(D), {"/w/", "/h/", tarvela::Direction::WorkHome, true, {}, {}}, host);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("entries per list    %ld\n", count);
    std::printf("comparison          %.3f s (%ld entries in the result, %lld bytes to copy)\n", seconds,
                static_cast<long>(S.count()), static_cast<long long>(sum));
    std::printf("peak memory         %ld MiB with both lists loaded, %ld MiB at the end of the comparison\n",
                beforeKiB / 1024, peakKiB() / 1024);
    return 0;
}
