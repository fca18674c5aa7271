#include "scan/case_fold.h"

#include "records/utf8.h"

namespace tarvela {
namespace {

bool isEven(char32_t c) { return (c & 1) == 0; }

char32_t foldCodePoint(char32_t c) {
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20; // Latin-1 capitals
    if (c >= 0x100 && c <= 0x17F) {                            // Latin Extended-A
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149) return c;
        if (c == 0x178) return 0xFF;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return isEven(c) ? c : c + 1;
        return isEven(c) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20; // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;               // Cyrillic А..Я
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;               // Ѐ..Џ (Ё, Ђ, Є, І, Ї, ...)
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x4FF)) {
        return isEven(c) ? c + 1 : c; // Cyrillic pairs, capital first (Ґ/ґ among them)
    }
    if (c >= 0x4C1 && c <= 0x4CE) return isEven(c) ? c : c + 1;
    return c;
}

} // namespace

std::string foldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Utf8Decoder decoder(utf8);
    std::size_t begin = 0;
    char32_t cp = 0;
    while (decoder.next(cp)) {
        const std::size_t end = decoder.position();
        if (cp < 0x80) {
            out.push_back(cp >= 'A' && cp <= 'Z' ? static_cast<char>(cp + 0x20) : static_cast<char>(cp));
        } else if (cp == kInvalidCodePoint) {
            out.append(utf8.substr(begin, end - begin));
        } else {
            appendUtf8(out, foldCodePoint(cp));
        }
        begin = end;
    }
    return out;
}

} // namespace tarvela
