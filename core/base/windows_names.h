#pragma once
// The names Windows cannot hold. Both systems need the rule: Windows to refuse such a name from a
// Linux computer's table, and Linux to tell where a name it sends will not arrive.

#include <string_view>

namespace tarvela {

// Whether Windows can hold every name of the relative path (folders separated by '/'): it refuses
// <>:"|?* and '\\', control characters, a name ending with a dot or a space, and the device names
// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 (with any extension, in any case).
bool windowsCanHoldName(std::string_view relative);

} // namespace tarvela
