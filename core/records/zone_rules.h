#pragma once
// A computer's time-zone rules as data: the offset of local time from UTC, and the instants at
// which it changes, from 1970 to 2100. The tables keep each file's time in the writing computer's
// local time; a computer whose zone changed (travel, a wrong setting put right) shows every file at
// another local time although no file changed. Knowing the rules a time was taken under, a time
// can be taken again under other rules, exactly as a scan under them would give it.
//
// Text form (one line, ASCII): "<offset> <instant>:<offset> ..." — seconds east of UTC in force
// from 1970 on, then each change as the UTC second it takes effect and the offset from then on.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvela {

struct ZoneRules {
    std::int64_t firstOffset = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> changes; // (UTC second, offset from then on), ascending

    std::int64_t offsetAt(std::int64_t utcSeconds) const;
    std::string text() const;
    static std::optional<ZoneRules> parse(std::string_view text);
    friend bool operator==(const ZoneRules&, const ZoneRules&) = default;
};

// The rules this computer follows now: computed afresh, and computed once per process.
ZoneRules currentZoneRules();
const ZoneRules& thisComputersZone();

// A table time (a local date-time number, records/date_time.h) taken under `from`, as a scan under
// `to` gives the same instant: bit for bit the number the scan would write.
double retime(double dateTime, const ZoneRules& from, const ZoneRules& to);

} // namespace tarvela
