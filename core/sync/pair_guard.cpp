#include "sync/pair_guard.h"

#include "base/errors.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "records/table_file.h"
#include "records/table_record.h"

namespace tarvela {

namespace {

// With no agreed state: whether this computer's previous table of the pair lists a file.
bool previousTableListsFiles(const std::string& ownTablePath) {
    if (!platform::fileExists(ownTablePath))
        return false;
    try {
        TableReader reader(ownTablePath);
        TNameAtribFile record;
        while (reader.next(record)) {
            if (record.Nature == kNatureFile)
                return true;
        }
    } catch (const FileError&) {
    }
    return false;
}

} // namespace

bool pairListsFiles(const AgreedState& agreed, const std::string& ownTablePath) {
    for (const AgreedRecord& r : agreed.records) {
        if (r.nature == kNatureFile)
            return true;
    }
    return agreed.records.empty() && previousTableListsFiles(ownTablePath);
}

bool pairListsFiles(const AgreedLookup* agreed, const std::string& ownTablePath) {
    if (agreed != nullptr)
        return agreed->listsAFile();
    return previousTableListsFiles(ownTablePath);
}

bool folderReadsEmpty(const std::string& folder) {
    const auto dir = platform::Directory::open(folder);
    return dir != nullptr && dir->entries().empty();
}

} // namespace tarvela
