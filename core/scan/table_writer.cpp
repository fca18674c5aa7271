#include "scan/table_writer.h"

#include "records/cp1251.h"
#include "base/echo_color.h"
#include "scan/folder_scan.h"
#include "base/messages.h"
#include "records/random_names.h"
#include "records/table_check.h"
#include "records/table_file.h"

namespace tarvela {

std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host) {
    TableWriter writer(nameFiles);
    std::int64_t total = 0;
    TNameAtribFile record;
    TableCheck check;
    const std::string root = pathFolder.ends_with('/') ? pathFolder : pathFolder + '/';
    const auto unreadable = [&](const std::string& folder) {
        host.echo(std::string(msg::kFolderUnreadable) + folder, color::kRed);
        check.unreadableFolders.push_back(folder.starts_with(root) ? folder.substr(root.size()) : "");
    };
    const auto visit = [&](const std::string& path, const TAtrib& atrib) {
        if (isExcluded(exclusions, path)) return;
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
    ScanDiskVisit(pathFolder, "*.*", 0, host, visit, unreadable);
    writer.commit();
    check.records = writer.recordCount();
    check.crc32 = writer.crc32();
    writeTableCheck(nameFiles, check);
    return total;
}

} // namespace tarvela
