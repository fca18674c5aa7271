#include "table_writer.h"

#include "cp1251.h"
#include "echo_color.h"
#include "folder_scan.h"
#include "messages.h"
#include "random_names.h"
#include "table_file.h"

namespace tarvela {

std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host) {
    ScanList list;
    ScanDisk(pathFolder, "*.*", list, 0, host);

    TableWriter writer(nameFiles);
    std::int64_t total = 0;
    TNameAtribFile record;
    for (const ScanItem& item : list) {
        if (isExcluded(exclusions, item.path)) continue;
        if (utf8CharCount(item.path) > kMaxPathChars) {
            host.echo(std::string(msg::kPathTooLong) + item.path, color::kRed);
            continue;
        }
        record.Nature = item.atrib.Nature;
        record.FName = ShortString<255>::fromText(item.path);
        record.FDataTime = item.atrib.FileDataTime;
        record.SizeFile = item.atrib.SizeFile;
        record.FNameTmp = ShortString<25>::fromText(makeStoreName(item.path));
        writer.append(record);
        total += item.atrib.SizeFile;
    }
    writer.commit();
    return total;
}

} // namespace tarvela
