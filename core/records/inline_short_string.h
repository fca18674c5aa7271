#pragma once
// A string[N] field kept in place, with no allocation of its own: for a field held once per entry
// of a table in memory (a million entries), where ShortString's heap block would cost more than
// the text. The same bytes and the same rules as ShortString<N>, which it is made from.

#include "records/cp1251.h"
#include "records/short_string.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvela {

template <std::size_t N> class InlineShortString {
public:
    InlineShortString() = default;
    InlineShortString(const ShortString<N>& s) { assign(s.bytes()); } // NOLINT: the same field

    static InlineShortString fromText(std::string_view utf8) {
        return InlineShortString(ShortString<N>::fromText(utf8));
    }

    std::string text() const { return cp1251ToUtf8(bytes()); }
    std::string_view bytes() const { return {bytes_.data(), size_}; }
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    friend bool operator==(const InlineShortString& a, const InlineShortString& b) { return a.bytes() == b.bytes(); }

private:
    void assign(std::string_view cp1251) {
        size_ = static_cast<std::uint8_t>(cp1251.size() < N ? cp1251.size() : N);
        cp1251.copy(bytes_.data(), size_);
    }

    std::array<char, N> bytes_{};
    std::uint8_t size_ = 0;
};

} // namespace tarvela
