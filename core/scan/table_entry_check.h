#pragma once
// Table files come from the medium and may be truncated, corrupt or hand-made. This decides
// whether an entry may be used to form a path below its pair folder; nothing that fails them is
// ever used to copy, write or remove anything.

#include <cstdint>
#include <string_view>

namespace tarvela {

// A relative name below a pair folder: not empty, not absolute, no empty, "." or ".."
// components, and no NUL. A folder entry (nature 0) is "..", the pair folder itself, or ends with
// "/.." (its folder marker); a file entry never does.
bool isAcceptableRelativeName(std::string_view name, std::uint8_t nature);

} // namespace tarvela
