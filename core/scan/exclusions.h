#pragma once
// Exclusion masks of a profile ("*.pas;*.zip;proba.bmp"). An entry E excludes every path that
// holds E without its first character as a substring, case-sensitively and anywhere in the path.

#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

using ExclusionList = std::vector<std::string>;

// Splits the profile's mask text at ';'. Pieces are not trimmed and empty pieces are kept, except
// that spaces before a leading '*' are dropped, so "*.pas; *.zip" excludes .zip files too.
ExclusionList CreateListExcept(std::string_view lineExcept);

// True when the first entry that applies excludes the path. Characters are counted and cut as
// characters, not bytes ("ж" is one character and excludes nothing). Entries of fewer than two
// characters exclude nothing.
bool isExcluded(const ExclusionList& list, std::string_view path);

} // namespace tarvela
