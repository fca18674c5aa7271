#pragma once
// Case folding of file names for lookups that ignore letter case, the same on every computer:
// Latin (ASCII, Latin-1, Latin Extended-A), Greek and Cyrillic letters fold to lower case.
// Other characters and invalid UTF-8 bytes stay as they are.

#include <string>
#include <string_view>

namespace tarvela {

std::string foldCase(std::string_view utf8);

} // namespace tarvela
