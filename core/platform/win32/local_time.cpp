#include "platform/local_time.h"

#include "platform/win32/wide_path.h"

namespace tarvela::platform {

std::int64_t utcOffsetAt(std::int64_t utcSeconds) {
    // The zone's rules for the year of the instant itself, not today's offset as
    // FileTimeToLocalFileTime would apply: a file keeps its local time when daylight saving begins
    // or ends. (GetTimeZoneInformationForYear rather than SystemTimeToTzSpecificLocalTimeEx, which
    // Wine does not implement.)
    const FILETIME utcFile = win32::filetimeOf({utcSeconds, 0});
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&utcFile, &utc))
        return 0;
    TIME_ZONE_INFORMATION zone{};
    const bool haveZone = ::GetTimeZoneInformationForYear(utc.wYear, nullptr, &zone);
    if (!::SystemTimeToTzSpecificLocalTime(haveZone ? &zone : nullptr, &utc, &local))
        return 0;
    FILETIME localFile{};
    if (!::SystemTimeToFileTime(&local, &localFile))
        return 0;
    return win32::fileTimeOf(localFile).seconds - utcSeconds;
}

} // namespace tarvela::platform
