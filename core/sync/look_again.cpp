#include "sync/look_again.h"

#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/date_time.h"
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
    const platform::SizeQuery size = platform::querySize(path);
    if (size.error != 0 || size.size != scanned->SizeFile)
        return false;
    // The scan's time came from the same file system through the same conversion: equal unless
    // the file was written since.
    const auto written = platform::lastWriteTime(path);
    return written && fileTimeToDateTime(*written) == scanned->FileDataTime;
}

} // namespace tarvela
