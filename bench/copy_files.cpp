// Copies through the engine's copier, as a run does, for the copy benchmark (bench/run-copy):
//   copy_files SOURCE_FILE DEST_FILE       one file
//   copy_files SOURCE_FOLDER DEST_FOLDER   every file below the folder, to the same place below
//                                          DEST_FOLDER (its folders are made as needed)
// Failed copies are printed on stderr, as the echo's red lines; the exit code is then 1.
// With TARVELA_BENCH_CHECKSUM=1 every copy also takes the content checksum, as a send does when it
// stores files (to measure what the checksum costs).
#include "copy/copier.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "base/run_host.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class StderrHost : public tarvela::QuietRunHost {
public:
    void echo(std::string_view text, std::uint32_t) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        ++failures;
    }
    int failures = 0;
};

void copyTree(tarvela::IFileCopier& copier, const tarvela::platform::Directory& folder, const std::string& from,
              const std::string& to) {
    tarvela::platform::createFolders(to);
    for (const auto& entry : folder.entries()) {
        if (entry.kind == tarvela::platform::EntryKind::File) {
            tarvela::CopyFileExProgress(copier, from + "/" + entry.name, to + "/" + entry.name);
        } else if (entry.kind == tarvela::platform::EntryKind::Folder) {
            if (const auto child = folder.openChild(entry.name)) {
                copyTree(copier, *child, from + "/" + entry.name, to + "/" + entry.name);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_files SOURCE DEST\n");
        return 2;
    }
    const std::string from = argv[1];
    const std::string to = argv[2];
    StderrHost host;
    tarvela::TFileCopier copier;
    copier.SetProgressBar(&host);
    copier.WriteMemoResult(&host);
    const char* checksum = std::getenv("TARVELA_BENCH_CHECKSUM");
    copier.SetComputeChecksum(checksum != nullptr && std::string(checksum) == "1");
    if (tarvela::platform::folderExists(from)) {
        const auto folder = tarvela::platform::Directory::open(from);
        if (!folder) {
            std::fprintf(stderr, "cannot read %s\n", from.c_str());
            return 1;
        }
        copyTree(copier, *folder, from, to);
    } else {
        tarvela::CopyFileExProgress(copier, from, to);
    }
    return host.failures == 0 ? 0 : 1;
}
