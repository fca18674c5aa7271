#include "records/utf8.h"

namespace tarvela {

bool Utf8Decoder::next(char32_t& cp) {
    if (pos_ >= text_.size()) return false;
    const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(text_[i]); };
    const unsigned char lead = byte(pos_);
    if (lead < 0x80) {
        cp = lead;
        ++pos_;
        return true;
    }
    std::size_t len = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        len = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4, value = lead & 0x07u, minimum = 0x10000;
    }
    if (len == 0 || pos_ + len > text_.size()) {
        cp = kInvalidCodePoint;
        ++pos_;
        return true;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const unsigned char c = byte(pos_ + i);
        if ((c & 0xC0) != 0x80) {
            cp = kInvalidCodePoint;
            ++pos_;
            return true;
        }
        value = (value << 6) | (c & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        cp = kInvalidCodePoint;
        ++pos_;
        return true;
    }
    cp = value;
    pos_ += len;
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace tarvela
