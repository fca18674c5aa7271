#pragma once
// Offset of local time from UTC at a given instant, as the system's time-zone rules say.

#include <cstdint>

namespace tarvela::platform {

// Seconds east of UTC in force at the UTC instant `utcSeconds`.
std::int64_t utcOffsetAt(std::int64_t utcSeconds);

} // namespace tarvela::platform
