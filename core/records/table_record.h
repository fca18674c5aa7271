#pragma once
// TNameAtribFile: one record of a table file, 312 bytes, little-endian:
//   0 Nature (1 file, 0 folder) | 1 FName string[255] | 257 gap | 264 FDataTime double |
//   272 SizeFile int64 | 280 FNameTmp string[25] | 306 gap

#include "records/byte_span.h"
#include "records/short_string.h"

#include <cstddef>
#include <cstdint>

namespace tarvela {

struct TNameAtribFile {
    std::uint8_t Nature = 0;     // 1 = file entry, 0 = folder entry
    ShortString<255> FName;      // full path on the computer that wrote the table
    double FDataTime = 0;        // last-write time, local date-time number
    std::int64_t SizeFile = 0;   // bytes; 0 for a folder
    ShortString<25> FNameTmp;    // store name

    static constexpr std::size_t kSize = 312;
    static constexpr std::size_t kOffNature = 0;
    static constexpr std::size_t kOffFName = 1;
    static constexpr std::size_t kOffFDataTime = 264;
    static constexpr std::size_t kOffSizeFile = 272;
    static constexpr std::size_t kOffFNameTmp = 280;

    friend bool operator==(const TNameAtribFile&, const TNameAtribFile&) = default;
};

inline constexpr std::uint8_t kNatureFolder = 0;
inline constexpr std::uint8_t kNatureFile = 1;

// Writes all 312 bytes; the gaps are zero.
void encodeTableRecord(const TNameAtribFile& record, MutableBytes out);
TNameAtribFile decodeTableRecord(ConstBytes in);
// The same into an existing record, reusing the room of its strings.
void decodeTableRecord(ConstBytes in, TNameAtribFile& record);

} // namespace tarvela
