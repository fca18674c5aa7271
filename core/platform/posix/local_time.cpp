#include "platform/local_time.h"

#include <ctime>

namespace tarvela::platform {

std::int64_t utcOffsetAt(std::int64_t utcSeconds) {
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

} // namespace tarvela::platform
