#pragma once
// Windows-1251, the 8-bit code page of every string field on the medium. Both computers of a
// profile read each other's files, so the conversion is a fixed table, never the locale.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvela {

// Converts UTF-8 text to Windows-1251, at most maxChars characters of it. A character that the
// code page lacks, and every byte of an invalid UTF-8 sequence, becomes '?'.
std::string utf8ToCp1251(std::string_view utf8, std::size_t maxChars = std::string_view::npos);

// True when every character of the UTF-8 text has a byte in the code page (so that the text comes
// back whole from a string field); false for an invalid sequence or a character the page lacks.
bool fitsCp1251(std::string_view utf8);

// Converts Windows-1251 bytes to UTF-8. Every byte has a meaning (0x98, undefined in the code page,
// maps to U+0098 as on Windows), so this never fails.
std::string cp1251ToUtf8(std::string_view cp1251);
// The same into `out` (replacing its text, reusing its room).
void cp1251ToUtf8(std::string_view cp1251, std::string& out);

// Number of characters in UTF-8 text as the code page counts them: one per code point, one per
// byte of an invalid sequence. This is the length a path has once it stands in a string field.
std::size_t utf8CharCount(std::string_view utf8);

} // namespace tarvela
