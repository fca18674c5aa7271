#pragma once
// The moves a sending half found: files and folders of the agreed state that now stand under
// another name on the sending computer. Kept beside the store list, so that the receive can rename
// its own copy instead of taking the bytes through the medium again.
//
// File <store root>/Moves_N.dat (little-endian):
//   magic "TarvelaM" | u32 version (1) | u32 count | entries | u32 FNV-1a of everything before it
// entry: u8 nature (1 file, 0 folder) | text16 old name | text16 new name | i64 size |
//        f64 time (date-time number) | u64 XXH3-64 content checksum
// Names are relative names below the pair folder with '/' separators; a folder's without "/..".
// A file's size, time and checksum are those of the sender's file under its new name (a folder's
// are 0). A folder move is followed by the moves of every file below it, which the receive checks
// one by one. A missing, damaged or foreign list reads as empty: nothing is moved, and the new
// names wait for a later send as any name the store does not carry.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarvela {

// What the agreed record of a file holds in place of its checksum once a listed move of it could
// not be made: not a checksum (those are 8 bytes), so the file is not taken for moved again, and
// no send gives it a checksum, until the name is recorded anew. The new name's bytes travel then.
inline constexpr std::string_view kMoveNotMadeMark = "nomove";

struct Move {
    std::uint8_t nature = 1; // 1 file, 0 folder
    std::string from;
    std::string to;
    std::int64_t size = 0;
    double time = 0;
    std::uint64_t checksum = 0;
    friend bool operator==(const Move&, const Move&) = default;
};

// The new names a list of moves gives, as tables name them (a folder's name ends with "/.."): every
// moved file, every moved folder and every folder below one. Such a name comes by a rename, not
// by a copy of its bytes.
class MovedNames {
public:
    MovedNames() = default;
    explicit MovedNames(const std::vector<Move>& moves);
    bool empty() const { return files_.empty() && folders_.empty(); }
    bool contains(std::string_view tableName) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using Names = std::unordered_set<std::string, Hash, std::equal_to<>>;
    Names files_;
    Names folders_; // without "/.."
};

// "<store root>/Moves_N.dat".
std::string moveListFile(const std::string& storeRoot, int n);

// Empty when the file is missing, damaged or not ours. Never throws.
std::vector<Move> readMoveList(const std::string& path);

// Replaces the file atomically; throws FileError.
void writeMoveList(const std::string& path, const std::vector<Move>& moves);

} // namespace tarvela
