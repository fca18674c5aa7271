#include "sync/pair_guard.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "records/table_file.h"
#include "records/table_record.h"

namespace tarvela {

namespace {

// With no agreed state: whether this computer's previous table of the pair lists a file of the
// folder `ownFolder` (a table of a folder the pair named before lists none of it).
bool previousTableListsFiles(const std::string& ownTablePath, const std::string& ownFolder) {
    if (!platform::fileExists(ownTablePath))
        return false;
    try {
        TableReader reader(ownTablePath);
        TNameAtribFile record;
        while (reader.next(record)) {
            if (record.Nature == kNatureFile && record.FName.text().starts_with(ownFolder))
                return true;
        }
    } catch (const FileError&) {
    }
    return false;
}

} // namespace

bool pairListsFiles(const AgreedState& agreed, const std::string& ownTablePath, const std::string& ownFolder) {
    for (const AgreedRecord& r : agreed.records) {
        if (r.nature == kNatureFile)
            return true;
    }
    return agreed.records.empty() && previousTableListsFiles(ownTablePath, ownFolder);
}

bool pairListsFiles(const AgreedLookup* agreed, const std::string& ownTablePath, const std::string& ownFolder) {
    if (agreed != nullptr)
        return agreed->listsAFile();
    return previousTableListsFiles(ownTablePath, ownFolder);
}

bool folderReadsEmpty(const std::string& folder) {
    const auto dir = platform::Directory::open(folder);
    return dir != nullptr && dir->entries().empty();
}

bool emptiedOnPurpose(RunHost& host, const std::string& folder) {
    if (host.askEmptiedFolder(folder))
        return true;
    host.echo(std::string(msg::kFolderReadsEmpty) + folder, color::kRed);
    return false;
}

} // namespace tarvela
