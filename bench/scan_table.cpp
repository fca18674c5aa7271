// Scans a folder into a table file, as a sending half does: scan_table FOLDER TABLE
#include "run_host.h"
#include "table_writer.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_table FOLDER TABLE\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';
    tarvela::QuietRunHost host;
    const auto total = tarvela::CreateListFiles(folder, argv[2], {}, host);
    std::printf("%lld\n", static_cast<long long>(total));
    return 0;
}
