#pragma once
// CRC-32 as zlib, PNG and Ethernet compute it (reflected polynomial 0xEDB88320, initial value and
// final XOR 0xFFFFFFFF): crc32Update(0, "123456789", 9) == 0xCBF43926.

#include <cstddef>
#include <cstdint>

namespace tarvela {

// Continues a CRC-32 over more bytes; start with 0.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

} // namespace tarvela
