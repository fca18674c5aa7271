#include "records/crc32.h"

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace tarvela {
namespace {

// Eight tables, so that the loop takes eight bytes per step (tables are about a million records
// of 312 bytes in a large folder).
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables() {
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
    return t;
}

constexpr Tables kTables = makeTables();

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TARVELA_CRC32_CARRYLESS 1

// A lane folded sixteen bytes on by the constants `k` onto the next sixteen bytes.
__attribute__((target("pclmul,sse4.1"))) inline __m128i foldLane(__m128i x, __m128i next, __m128i k) {
    const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), next), low);
}

// The register folded over `size` bytes (at least 64, a multiple of 16) with carry-less
// multiplication, sixteen bytes per step in four lanes: the method of Intel's paper "Fast CRC
// Computation for Generic Polynomials Using PCLMULQDQ Instruction" for this reflected polynomial,
// with its folding constants (x^(4*128+32), x^(4*128-32), x^(128+32), x^(128-32), x^64 mod P, all
// bit-reflected and shifted left by one) and Barrett's reduction (floor(x^64 / P) and P).
__attribute__((target("pclmul,sse4.1"))) std::uint32_t foldCarryless(std::uint32_t reg, const unsigned char* p,
                                                                     std::size_t size) {
    alignas(16) static const std::uint64_t k1k2[2] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const std::uint64_t k3k4[2] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const std::uint64_t k5k0[2] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const std::uint64_t poly[2] = {0x01db710641, 0x01f7011641};
    const auto load = [](const unsigned char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };

    __m128i x1 = load(p);
    __m128i x2 = load(p + 16);
    __m128i x3 = load(p + 32);
    __m128i x4 = load(p + 48);
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
    p += 64;
    size -= 64;
    while (size >= 64) {
        const __m128i x5 = _mm_clmulepi64_si128(x1, k, 0x00);
        const __m128i x6 = _mm_clmulepi64_si128(x2, k, 0x00);
        const __m128i x7 = _mm_clmulepi64_si128(x3, k, 0x00);
        const __m128i x8 = _mm_clmulepi64_si128(x4, k, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k, 0x11), x5), load(p));
        x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, k, 0x11), x6), load(p + 16));
        x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, k, 0x11), x7), load(p + 32));
        x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, k, 0x11), x8), load(p + 48));
        p += 64;
        size -= 64;
    }
    // The four lanes into one, then the remaining sixteen-byte blocks.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
    x1 = foldLane(x1, x2, k);
    x1 = foldLane(x1, x3, k);
    x1 = foldLane(x1, x4, k);
    while (size >= 16) {
        x1 = foldLane(x1, load(p), k);
        p += 16;
        size -= 16;
    }
    // 128 bits to 64, then Barrett's reduction to 32.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x2 = _mm_clmulepi64_si128(x1, k, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00), x2);
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
    x2 = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x10), low32);
    x2 = _mm_clmulepi64_si128(x2, k, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

bool carrylessAvailable() {
    static const bool available = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return available;
}
#endif

} // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
#ifdef TARVELA_CRC32_CARRYLESS
    // Tables of a million 312-byte records: the processor's carry-less multiplication takes the
    // bulk several times faster than the tables below, which take the rest.
    if (size >= 64 && carrylessAvailable()) {
        const std::size_t bulk = size & ~std::size_t{15};
        crc = foldCarryless(crc, p, bulk);
        p += bulk;
        size -= bulk;
    }
#endif
    while (size >= 8) {
        const std::uint32_t lo = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                        std::uint32_t{p[3]} << 24);
        crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
              kTables[4][lo >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = kTables[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace tarvela
