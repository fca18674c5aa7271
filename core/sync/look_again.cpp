#include "sync/look_again.h"

#include "copy/copier.h"
#include "platform/file_system.h"
#include "records/table_record.h"

namespace tarvela {

bool asScanned(const std::string& path, const TAtrib* scanned) {
    const platform::PathKind kind = platform::pathKindNoFollow(path);
    if (scanned == nullptr)
        return kind == platform::PathKind::Missing;
    if (scanned->Nature == kNatureFolder)
        return kind == platform::PathKind::Folder;
    if (kind == platform::PathKind::Missing || kind == platform::PathKind::Folder)
        return false;
    return unchangedSinceScan(path, scanned->SizeFile, scanned->FileDataTime);
}

} // namespace tarvela
