#pragma once
// string[N]: the length-prefixed 8-bit string field of the records on the medium. In memory it
// keeps the Windows-1251 bytes (at most N), so equality is byte-exact as on the medium.

#include "records/byte_span.h"
#include "records/cp1251.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tarvela {

template <std::size_t N>
class ShortString {
    static_assert(N > 0 && N <= 255, "the length byte holds at most 255");

public:
    static constexpr std::size_t kCapacity = N;
    static constexpr std::size_t kFieldSize = N + 1;

    ShortString() = default;

    // Text into the field: converted to the code page and cut to N bytes without notice.
    static ShortString fromText(std::string_view utf8) {
        ShortString s;
        s.bytes_ = utf8ToCp1251(utf8, N);
        return s;
    }
    // Raw code-page bytes, cut to N.
    static ShortString fromBytes(std::string_view cp1251) {
        ShortString s;
        s.bytes_.assign(cp1251.substr(0, N));
        return s;
    }

    std::string text() const { return cp1251ToUtf8(bytes_); }
    const std::string& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }
    std::size_t size() const { return bytes_.size(); }

    // Reads a field of N+1 bytes. A length byte above N (a file written by something else) is
    // clamped to N, so the read never passes the end of the field.
    static ShortString decode(ConstBytes field) {
        ShortString s;
        std::size_t len = field[0];
        if (len > N) len = N;
        s.bytes_.assign(reinterpret_cast<const char*>(field.data() + 1), len);
        return s;
    }
    // decode() into this string, reusing its room: for a reader that decodes a million records.
    void decodeFrom(ConstBytes field) {
        std::size_t len = field[0];
        if (len > N) len = N;
        bytes_.assign(reinterpret_cast<const char*>(field.data() + 1), len);
    }
    // Writes the field; the bytes after the text are zero.
    void encode(MutableBytes field) const {
        field[0] = static_cast<unsigned char>(bytes_.size());
        std::memcpy(field.data() + 1, bytes_.data(), bytes_.size());
        std::memset(field.data() + 1 + bytes_.size(), 0, N - bytes_.size());
    }

    friend bool operator==(const ShortString&, const ShortString&) = default;

private:
    std::string bytes_;
};

} // namespace tarvela
