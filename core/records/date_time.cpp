#include "records/date_time.h"

#include "platform/local_time.h"

#include <cmath>

namespace tarvela {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kMillisPerDay = 86400000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

} // namespace

double fileTimeToDateTime(platform::FileTime t) {
    const std::int64_t local = t.seconds + platform::utcOffsetAt(t.seconds);
    const std::int64_t days = floorDiv(local, kSecondsPerDay);
    const std::int64_t millisOfDay = (local - days * kSecondsPerDay) * 1000 + t.nanoseconds / 1000000;
    // Whole days plus the fraction of the day, computed as the date and time parts separately so
    // that the value is the same double that the other computer's encoder produces.
    return (static_cast<double>(days) + kUnixEpochDays) +
           static_cast<double>(millisOfDay) / static_cast<double>(kMillisPerDay);
}

platform::FileTime dateTimeToFileTime(double dateTime) {
    if (!std::isfinite(dateTime)) return {};
    const double days = std::floor(dateTime);
    const double fraction = dateTime - days;
    std::int64_t millisOfDay = std::llround(fraction * static_cast<double>(kMillisPerDay));
    if (millisOfDay >= kMillisPerDay) millisOfDay = kMillisPerDay - 1;
    const std::int64_t localMillis =
        (static_cast<std::int64_t>(days) - static_cast<std::int64_t>(kUnixEpochDays)) * kMillisPerDay + millisOfDay;
    const std::int64_t localSeconds = floorDiv(localMillis, 1000);
    const auto millis = static_cast<std::int32_t>(localMillis - localSeconds * 1000);
    // Find the UTC instant whose local time this is: start from the offset at the local reading,
    // then correct it once with the offset in force at the first estimate.
    std::int64_t utc = localSeconds - platform::utcOffsetAt(localSeconds);
    utc = localSeconds - platform::utcOffsetAt(utc);
    return {utc, millis * 1000000};
}

} // namespace tarvela
