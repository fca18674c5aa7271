#pragma once
// Variable-length little-endian files of our own (the agreed state, the store list): a writer that
// appends fields to a buffer and a reader that never reads past its end. Every count and length
// read from the medium is checked before use.

#include "records/byte_span.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvela {

class ByteWriter {
public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) { le(v, 2); }
    void u32(std::uint32_t v) { le(v, 4); }
    void u64(std::uint64_t v) { le(v, 8); }
    void i64(std::int64_t v) { le(static_cast<std::uint64_t>(v), 8); }
    void f64(double v) { le(std::bit_cast<std::uint64_t>(v), 8); }
    void raw(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    // A text of up to 65 535 bytes: a 16-bit length and the bytes.
    void text16(std::string_view s) {
        u16(static_cast<std::uint16_t>(s.size()));
        raw(s.substr(0, 0xFFFF));
    }
    const std::vector<unsigned char>& bytes() const { return bytes_; }
    void reserve(std::size_t size) { bytes_.reserve(size); }
    // The bytes written, handed over; the writer is empty afterwards.
    std::vector<unsigned char> take() { return std::move(bytes_); }

private:
    void le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            bytes_.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
    std::vector<unsigned char> bytes_;
};

// Reads fields in order; after the first read past the end every read yields zero and ok() is false.
class ByteReader {
public:
    explicit ByteReader(ConstBytes bytes) : bytes_(bytes) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(le(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(le(4)); }
    std::uint64_t u64() { return le(8); }
    std::int64_t i64() { return static_cast<std::int64_t>(le(8)); }
    double f64() { return std::bit_cast<double>(le(8)); }
    std::string raw(std::size_t n) {
        if (!has(n))
            return {};
        std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return s;
    }
    std::string text16() { return raw(u16()); }
    // The next n bytes as a view into the bytes read (empty after a read past the end).
    std::string_view view(std::size_t n) {
        if (!has(n))
            return {};
        const std::string_view s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return s;
    }

    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }

private:
    bool has(std::size_t n) {
        if (!ok_ || bytes_.size() - pos_ < n)
            ok_ = false;
        return ok_;
    }
    std::uint64_t le(std::size_t n) {
        if (!has(n))
            return 0;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= std::uint64_t{bytes_[pos_ + i]} << (8 * i);
        pos_ += n;
        return v;
    }
    ConstBytes bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// FNV-1a over the bytes: tells a damaged or cut file from a whole one.
inline std::uint32_t fnv1a32(ConstBytes bytes) {
    std::uint32_t h = 2166136261u;
    for (const unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

// The FNV-1a value in the last four bytes of a file of ours (at least four bytes long).
inline std::uint32_t storedChecksum(const std::vector<unsigned char>& bytes) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= std::uint32_t{bytes[bytes.size() - 4 + i]} << (8 * i);
    return v;
}

// Appends the FNV-1a value of everything before it.
inline void appendChecksum(std::vector<unsigned char>& bytes) {
    const std::uint32_t sum = fnv1a32(bytes);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(sum >> (8 * i)));
}

// The whole file, or nothing when it is missing or cannot be read (never throws).
std::vector<unsigned char> readWholeFileOrNothing(const std::string& path, std::size_t limit);

// The first `limit` bytes of a file (all of a shorter one), or nothing when it is missing or cannot
// be read (never throws).
std::vector<unsigned char> readFileHead(const std::string& path, std::size_t limit);

} // namespace tarvela
