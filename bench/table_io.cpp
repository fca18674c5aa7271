// Writes COUNT table records and reads them back into a file list, reporting the time of each step
// and the peak memory per entry: table_io TABLE [COUNT]
#include "scan/file_list.h"
#include "records/table_file.h"

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

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarvela;
    if (argc < 2) {
        std::fprintf(stderr, "usage: table_io TABLE [COUNT]\n");
        return 2;
    }
    const std::string path = argv[1];
    const long count = argc > 2 ? std::atol(argv[2]) : 1000000;
    const long baseKiB = peakKiB();

    auto start = std::chrono::steady_clock::now();
    {
        TableWriter writer(path);
        TNameAtribFile r;
        r.Nature = kNatureFile;
        r.FDataTime = 45000.5;
        for (long i = 0; i < count; ++i) {
            r.FName = ShortString<255>::fromText("/home/user/Documents/dir" + std::to_string(i / 100) + "/file" +
                                                 std::to_string(i) + ".txt");
            r.SizeFile = i;
            r.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");
            writer.append(r);
        }
        writer.commit();
    }
    const double writeSeconds = secondsSince(start);

    start = std::chrono::steady_clock::now();
    TFileList list;
    CreateListOfFiles(list, path, "/home/user/Documents/");
    const double readSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    const auto found = list.indexOf("DIR0/FILE0.TXT");
    const double indexSeconds = secondsSince(start);

    const long peak = peakKiB();
    std::printf("records            %ld\n", count);
    std::printf("write table        %.3f s\n", writeSeconds);
    std::printf("read into list     %.3f s\n", readSeconds);
    std::printf("build lookup index %.3f s (first lookup, found at %td)\n", indexSeconds, found);
    std::printf("peak memory        %ld MiB, %.0f bytes per entry (list and index)\n", peak / 1024,
                static_cast<double>(peak - baseKiB) * 1024.0 / static_cast<double>(count));
    return found == 0 ? 0 : 1;
}
