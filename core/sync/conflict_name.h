#pragma once
// The name under which this computer's version of a file is set aside when both computers changed
// it: "NAME (конфликт YYYY-MM-DD HH-MM-SS КОМПЬЮТЕР).EXT". It sorts beside the original, holds no
// character that Windows refuses, and its full path fits a table record; the stem is shortened
// when it would not.

#include <chrono>
#include <string>
#include <string_view>

namespace tarvela {

// `path`: the file's full path; `computer`: "рабочий" or "домашний"; `attempt` 1 gives the plain
// form, 2 and up add " 2", " 3" after the bracket for a name already taken.
std::string conflictCopyPath(const std::string& path, std::string_view computer,
                             std::chrono::system_clock::time_point when, int attempt);

} // namespace tarvela
