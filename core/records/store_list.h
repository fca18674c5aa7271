#pragma once
// The list that a sending half leaves beside its store folder: what the store holds, by the
// sender's relative name, with the size and time the file had when it was stored. A receive takes
// a stored copy only when the sender's current table entry has the same name, size and time, so a
// table rewritten since (new store names, the sender's own receive) still finds its files, and a
// file changed since is never taken for the stored one.
//
// File <store root>/List_N.dat (little-endian):
//   magic "TarvelaS" | u32 version (2) | u32 count | entries | u32 FNV-1a of everything before it
// entry: i64 size | f64 time (date-time number) | text16 relative name | text16 store name |
//        u8 1 and u64 XXH3-64 content checksum, or u8 0 when the copy's checksum is unknown
// A version 1 list (written before checksums) has entries without the last field and still reads.
// A missing, damaged or foreign list reads as absent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvela {

struct StoredFile {
    std::string name; // relative name below the sender's pair folder, '/' separators
    std::int64_t size = 0;
    double time = 0;
    std::string storeName;                 // the file's name in the store folder
    std::optional<std::uint64_t> checksum; // of the stored copy's content; empty when unknown
    friend bool operator==(const StoredFile&, const StoredFile&) = default;
};

class StoreList {
public:
    void add(StoredFile f) { files_.push_back(std::move(f)); }
    const std::vector<StoredFile>& files() const { return files_; }

    // The stored copy of `name` when it was stored with exactly this size and time; null otherwise.
    const StoredFile* find(std::string_view name, std::int64_t size, double time) const;

private:
    std::vector<StoredFile> files_;
    mutable std::unordered_map<std::string, std::size_t> index_;
};

// The checksum as the agreed state keeps it: its 8 bytes, least significant first.
std::string checksumBytes(std::uint64_t checksum);

// "<store root>/List_N.dat".
std::string storeListFile(const std::string& storeRoot, int n);

// Nothing when the file is missing, damaged or not ours. Never throws.
std::optional<StoreList> readStoreList(const std::string& path);

// Replaces the file atomically; throws FileError.
void writeStoreList(const std::string& path, const StoreList& list);

} // namespace tarvela
