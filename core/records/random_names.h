#pragma once
// Random texts: store names of carried files and profile identifiers. Drawn uniformly from a
// generator seeded once per process from the system's entropy source.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvela {

inline constexpr std::string_view kStoreNameAlphabet = "A1BCDEF2GHI3JK45LM6NO7PQR8ST9U0VWXYZ";
inline constexpr std::string_view kIdAlphabet = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::size_t kStoreNameRandomLength = 12;
inline constexpr std::size_t kStoreNameMaxLength = 25;

// prefix followed by random characters up to `length` characters in all.
std::string RandomNameFile(std::string_view prefix, std::size_t length);
std::string RandomID(std::size_t length);

// The extension of a path's last component: from its last dot to the end, the dot included;
// empty when the component has no dot.
std::string_view fileExtension(std::string_view path);

// A fresh store name for the entry at `path`: 12 random characters and the entry's extension,
// at most 25 characters (as UTF-8; the string field cuts the same way).
std::string makeStoreName(std::string_view path);

} // namespace tarvela
