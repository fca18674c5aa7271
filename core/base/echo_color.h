#pragma once
// Colours of the echo lines, as 0x00BBGGRR values (the low byte is red). Red lines are bold.

#include <cstdint>

namespace tarvela::color {

inline constexpr std::uint32_t kMaroon = 0x000080; // start of the program or of a logged run
inline constexpr std::uint32_t kBlue = 0xFF0000;   // beginning and end of a half
inline constexpr std::uint32_t kTeal = 0x808000;   // analysis of a folder
inline constexpr std::uint32_t kPurple = 0x800080; // a file differs between the sides
inline constexpr std::uint32_t kGreen = 0x008000;  // normal progress
inline constexpr std::uint32_t kRed = 0x0000FF;    // failure of one file or folder (bold)
inline constexpr std::uint32_t kBlack = 0x000000;  // notices
inline constexpr std::uint32_t kOrange = 0x0066CC; // both computers changed a file: a conflict or a kept version
inline constexpr std::uint32_t kNone = 0x1FFFFFFF; // "no colour": written as black

inline constexpr std::uint32_t normalized(std::uint32_t c) { return c == kNone ? kBlack : c; }
inline constexpr bool isBold(std::uint32_t c) { return c == kRed; }

// Red, green and blue parts.
inline constexpr unsigned red(std::uint32_t c) { return c & 0xFF; }
inline constexpr unsigned green(std::uint32_t c) { return (c >> 8) & 0xFF; }
inline constexpr unsigned blue(std::uint32_t c) { return (c >> 16) & 0xFF; }

} // namespace tarvela::color
