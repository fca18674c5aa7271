#pragma once
// Little-endian reads and writes at fixed offsets of a record buffer. Records are encoded field by
// field through these, never by casting a struct over the bytes.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tarvela {

using ConstBytes = std::span<const unsigned char>;
using MutableBytes = std::span<unsigned char>;

inline std::uint64_t loadLe64(ConstBytes b, std::size_t offset) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v |= std::uint64_t{b[offset + i]} << (8 * i);
    return v;
}

inline void storeLe64(MutableBytes b, std::size_t offset, std::uint64_t v) {
    for (std::size_t i = 0; i < 8; ++i) b[offset + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline double loadLeDouble(ConstBytes b, std::size_t offset) { return std::bit_cast<double>(loadLe64(b, offset)); }
inline void storeLeDouble(MutableBytes b, std::size_t offset, double v) {
    storeLe64(b, offset, std::bit_cast<std::uint64_t>(v));
}

inline std::int64_t loadLeInt64(ConstBytes b, std::size_t offset) {
    return static_cast<std::int64_t>(loadLe64(b, offset));
}
inline void storeLeInt64(MutableBytes b, std::size_t offset, std::int64_t v) {
    storeLe64(b, offset, static_cast<std::uint64_t>(v));
}

} // namespace tarvela
