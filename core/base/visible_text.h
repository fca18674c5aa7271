#pragma once
// Text of an echo line with its control characters made visible. File names come from folders and
// tables that anyone may have prepared: a line break in a name would forge a second line (a false
// "Конец операции"), an escape sequence would command the terminal. Every echo line of a run
// passes through here once, so the terminal, the desktop window and the log show the same text.

#include <string>
#include <string_view>

namespace tarvela {

// C0 controls and DEL as "\n", "\r", "\t" or "\xNN"; the C1 controls (U+0080..U+009F) as "\u0085"
// and so on. Everything else, backslashes included, stays as it is.
std::string visibleText(std::string_view text);

} // namespace tarvela
