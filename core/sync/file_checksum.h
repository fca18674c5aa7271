#pragma once
// The content checksum of a file as it stands (copy/content_checksum.h), read in a pass of its
// own: what a move is recognised and checked by, where no copy passes the bytes by.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvela {

// Nothing when the file cannot be opened or read (a link is not followed).
std::optional<std::uint64_t> checksumOfFile(const std::string& path);

} // namespace tarvela
