#include "records/zone_rules.h"

#include "platform/local_time.h"
#include "records/date_time.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarvela {
namespace {

constexpr std::int64_t kFirstSecond = 0;              // 1970-01-01
constexpr std::int64_t kLastSecond = 4102444800;      // 2100-01-01
constexpr std::int64_t kStep = 7 * 86400;             // zones change their offset at most twice a year
constexpr std::int64_t kMillisPerDay = 86400000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

ZoneRules currentZoneRules() {
    ZoneRules rules;
    rules.firstOffset = platform::utcOffsetAt(kFirstSecond);
    std::int64_t offset = rules.firstOffset;
    for (std::int64_t t = kFirstSecond; t < kLastSecond; t += kStep) {
        const std::int64_t next = platform::utcOffsetAt(t + kStep);
        if (next == offset)
            continue;
        // The first second of the new offset lies in (t, t + kStep].
        std::int64_t lo = t;
        std::int64_t hi = t + kStep;
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            (platform::utcOffsetAt(mid) == offset ? lo : hi) = mid;
        }
        rules.changes.emplace_back(hi, next);
        offset = next;
    }
    return rules;
}

std::int64_t ZoneRules::offsetAt(std::int64_t utcSeconds) const {
    const auto after = std::upper_bound(changes.begin(), changes.end(), utcSeconds,
                                        [](std::int64_t t, const auto& change) { return t < change.first; });
    return after == changes.begin() ? firstOffset : std::prev(after)->second;
}

std::string ZoneRules::text() const {
    std::string out = std::to_string(firstOffset);
    for (const auto& [at, offset] : changes)
        out += " " + std::to_string(at) + ":" + std::to_string(offset);
    return out;
}

std::optional<ZoneRules> ZoneRules::parse(std::string_view text) {
    ZoneRules rules;
    const auto number = [&](std::int64_t& value) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc{})
            return false;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        return true;
    };
    if (!number(rules.firstOffset))
        return std::nullopt;
    while (!text.empty()) {
        std::int64_t at = 0;
        std::int64_t offset = 0;
        if (text.front() != ' ')
            return std::nullopt;
        text.remove_prefix(1);
        if (!number(at) || text.empty() || text.front() != ':')
            return std::nullopt;
        text.remove_prefix(1);
        if (!number(offset))
            return std::nullopt;
        if (!rules.changes.empty() && at <= rules.changes.back().first)
            return std::nullopt;
        rules.changes.emplace_back(at, offset);
    }
    return rules;
}

const ZoneRules& thisComputersZone() {
    static const ZoneRules rules = currentZoneRules();
    return rules;
}

double retime(double dateTime, const ZoneRules& from, const ZoneRules& to) {
    if (!std::isfinite(dateTime) || from == to)
        return dateTime;
    const double days = std::floor(dateTime);
    std::int64_t millisOfDay = std::llround((dateTime - days) * static_cast<double>(kMillisPerDay));
    millisOfDay = std::min(millisOfDay, kMillisPerDay - 1);
    const std::int64_t localMillis =
        (static_cast<std::int64_t>(days) - static_cast<std::int64_t>(kUnixEpochDays)) * kMillisPerDay + millisOfDay;
    // The instant: the offset at the local reading, corrected once by the offset at that estimate
    // (as a scan's time is taken back to its instant).
    const std::int64_t localSeconds = floorDiv(localMillis, 1000);
    std::int64_t utc = localSeconds - from.offsetAt(localSeconds);
    utc = localSeconds - from.offsetAt(utc);
    const std::int64_t newLocalMillis = localMillis + (to.offsetAt(utc) - (localSeconds - utc)) * 1000;
    const std::int64_t newDays = floorDiv(newLocalMillis, kMillisPerDay);
    // Days and the fraction of the day apart, as the scan encodes them.
    return (static_cast<double>(newDays) + kUnixEpochDays) +
           static_cast<double>(newLocalMillis - newDays * kMillisPerDay) / static_cast<double>(kMillisPerDay);
}

} // namespace tarvela
