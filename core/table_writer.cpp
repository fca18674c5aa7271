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
    TableWriter writer(nameFiles);
    std::int64_t total = 0;
    TNameAtribFile record;
    ScanDiskVisit(pathFolder, "*.*", 0, host, [&](const std::string& path, const TAtrib& atrib) {
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
    });
    writer.commit();
    return total;
}

} // namespace tarvela
