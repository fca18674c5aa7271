#include "records/cp1251.h"

#include "records/utf8.h"

#include <array>
#include <cstdint>

namespace tarvela {
namespace {

// Code points of the bytes 0x80..0xFF. 0xC0..0xFF are the contiguous Cyrillic block.
constexpr std::array<char16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t byteToCodePoint(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return static_cast<char32_t>(0x0410 + (b - 0xC0));
    return kHighHalf[b - 0x80];
}

char codePointToByte(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

namespace {

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

} // namespace

std::string utf8ToCp1251(std::string_view utf8, std::size_t maxChars) {
    // Most file names are plain ASCII, which is the same in both encodings.
    if (isAscii(utf8)) return std::string(utf8.substr(0, maxChars));
    std::string out;
    out.reserve(utf8.size() < maxChars ? utf8.size() : maxChars);
    Utf8Decoder decoder(utf8);
    char32_t cp = 0;
    while (out.size() < maxChars && decoder.next(cp)) {
        out.push_back(cp == kInvalidCodePoint ? '?' : codePointToByte(cp));
    }
    return out;
}

bool fitsCp1251(std::string_view utf8) {
    if (isAscii(utf8)) return true;
    Utf8Decoder decoder(utf8);
    char32_t cp = 0;
    while (decoder.next(cp)) {
        if (cp == kInvalidCodePoint || (cp != '?' && codePointToByte(cp) == '?')) return false;
    }
    return true;
}

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    cp1251ToUtf8(cp1251, out);
    return out;
}

void cp1251ToUtf8(std::string_view cp1251, std::string& out) {
    if (isAscii(cp1251)) {
        out.assign(cp1251);
        return;
    }
    out.clear();
    out.reserve(cp1251.size() * 2);
    for (char c : cp1251) appendUtf8(out, byteToCodePoint(static_cast<unsigned char>(c)));
}

std::size_t utf8CharCount(std::string_view utf8) {
    if (isAscii(utf8)) return utf8.size();
    std::size_t n = 0;
    Utf8Decoder decoder(utf8);
    char32_t cp = 0;
    while (decoder.next(cp)) ++n;
    return n;
}

} // namespace tarvela
