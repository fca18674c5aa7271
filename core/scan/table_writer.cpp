#include "scan/table_writer.h"

#include "records/cp1251.h"
#include "base/echo_color.h"
#include "scan/folder_scan.h"
#include "base/messages.h"
#include "records/random_names.h"
#include "records/table_check.h"
#include "records/table_file.h"

namespace tarvela {
namespace {

// The part of `path` (below `root`) up to the end of its first component that the code page cannot
// hold; empty when every component fits.
std::string_view firstUnfitName(std::string_view path, std::size_t root) {
    if (fitsCp1251(path)) return {};
    std::size_t start = root;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (!fitsCp1251(path.substr(start, end - start))) return path.substr(0, end);
        start = end + 1;
    }
    return {};
}

} // namespace

std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host, unsigned scanThreads) {
    TableWriter writer(nameFiles);
    std::int64_t total = 0;
    TNameAtribFile record;
    TableCheck check;
    const std::string root = pathFolder.ends_with('/') ? pathFolder : pathFolder + '/';
    const auto unreadable = [&](const std::string& folder) {
        host.echo(std::string(msg::kFolderUnreadable) + folder, color::kRed);
        check.unreadableFolders.push_back(folder.starts_with(root) ? folder.substr(root.size()) : "");
    };
    // One red line per name the table cannot hold: a folder's entries follow each other in the scan.
    std::string lastUnfit;
    const auto visit = [&](const std::string& path, const TAtrib& atrib) {
        if (isExcluded(exclusions, path)) return;
        if (const std::string_view unfit = firstUnfitName(path, root.size()); !unfit.empty()) {
            if (unfit != lastUnfit) {
                lastUnfit = unfit;
                host.echo(std::string(msg::kNameNotInCodePage) + lastUnfit, color::kRed);
            }
            return;
        }
        if (utf8CharCount(path) > kMaxPathChars) {
            host.echo(std::string(msg::kPathTooLong) + path, color::kRed);
            return;
        }
        record.Nature = atrib.Nature;
        record.FName = ShortString<255>::fromText(path);
        record.FDataTime = atrib.FileDataTime;
        record.SizeFile = atrib.SizeFile;
        record.FNameTmp = ShortString<25>::fromText(makeStoreName(path));
        writer.append(record);
        total += atrib.SizeFile;
    };
    if (fitsCp1251(root)) {
        ScanDiskVisit(pathFolder, "*.*", 0, host, visit, unreadable, scanThreads);
    } else {
        // No entry of the folder could stand in the table: to the other computer it is a folder
        // not read, never an empty one.
        host.echo(std::string(msg::kNameNotInCodePage) + root, color::kRed);
        check.unreadableFolders.emplace_back();
    }
    writer.commit();
    check.records = writer.recordCount();
    check.crc32 = writer.crc32();
    writeTableCheck(nameFiles, check);
    return total;
}

} // namespace tarvela
