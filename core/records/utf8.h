#pragma once
// Minimal UTF-8 decoding and encoding. File names on Linux are bytes, so invalid sequences are
// normal input: each byte of one decodes to kInvalidCodePoint and decoding goes on.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvela {

inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

class Utf8Decoder {
public:
    explicit Utf8Decoder(std::string_view text) : text_(text) {}

    // Decodes the next character into cp; false at the end of the text.
    bool next(char32_t& cp);
    // Byte offset of the next undecoded character.
    std::size_t position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

void appendUtf8(std::string& out, char32_t cp);

} // namespace tarvela
