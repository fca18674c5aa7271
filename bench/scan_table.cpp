// Scans a folder into a table file, as a sending half does:   scan_table FOLDER TABLE
// or only walks it, counting entries, to separate the scan from the table write:
//                                                             scan_table --scan-only FOLDER
// With TARVELA_SCAN_THREADS=N in the environment, N threads read ahead (0: none) instead of the
// default, to compare.
#include "scan/folder_scan.h"
#include "base/run_host.h"
#include "scan/table_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const bool scanOnly = argc == 3 && std::strcmp(argv[1], "--scan-only") == 0;
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_table FOLDER TABLE | scan_table --scan-only FOLDER\n");
        return 2;
    }
    std::string folder = argv[scanOnly ? 2 : 1];
    if (folder.back() != '/') folder += '/';
    tarvela::QuietRunHost host;
    const char* threadsText = std::getenv("TARVELA_SCAN_THREADS");
    const unsigned threads = threadsText != nullptr ? static_cast<unsigned>(std::atoi(threadsText))
                                                    : tarvela::defaultScanThreads();
    if (scanOnly) {
        long long entries = 0;
        tarvela::ScanDiskVisit(
            folder, "*.*", 0, host, [&](const std::string&, const tarvela::TAtrib&) { ++entries; }, {}, true, threads);
        std::printf("%lld\n", entries);
        return 0;
    }
    const auto total = tarvela::CreateListFiles(folder, argv[2], {}, host, true, threads);
    std::printf("%lld\n", static_cast<long long>(total));
    return 0;
}
