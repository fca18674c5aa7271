#pragma once
// The order in which the folder scan lists a pair folder, as a comparison of relative names
// (folders separated by '/', a folder entry ending with "/..", the pair folder's own entry ".."):
// within a folder, its files by name, then its own entry, then each subfolder with everything
// below it, subfolders by name. Names compare byte by byte, as the scan sorts them.

#include <string_view>

namespace tarvela {

// True when the scan lists `a` before `b`.
bool scanOrderLess(std::string_view a, std::string_view b);

} // namespace tarvela
