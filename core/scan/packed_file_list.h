#pragma once
// A table in memory packed for a folder of a million files: the names in blocks of text that are
// filled one after the other (never moved or grown, so loading needs no room for a copy), the
// entries in one array, no allocation per entry. It offers what the sending half's comparison asks
// of a file list (file_list.h): items in the order added, a key and an entry each; keys come as
// views into the block. Lookups by name are left to the comparison's own index.

#include "scan/file_list.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

class PackedFileList {
public:
    // Appends an item (a copy of the entry) at the end; returns its index.
    std::size_t add(std::string_view key, const TAtrib& object);
    std::size_t add(std::string_view key, std::unique_ptr<TAtrib> object) { return add(key, *object); }

    std::size_t count() const { return objects_.size(); }
    void reserve(std::size_t items);

    std::string_view key(std::size_t index) const {
        const std::uint64_t place = keyPlaces_[index];
        return {blocks_[place >> 40].get() + ((place >> 16) & kOffsetMask), place & 0xFFFF};
    }
    TAtrib* object(std::size_t index) { return &objects_.at(index); }
    const TAtrib* object(std::size_t index) const { return &objects_.at(index); }
    // A copy of the item's entry for a list that takes it over.
    std::unique_ptr<TAtrib> releaseObject(std::size_t index) const {
        return std::make_unique<TAtrib>(objects_.at(index));
    }

private:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << 24) - 1;

    std::vector<std::unique_ptr<char[]>> blocks_; // kBlockSize bytes each; a key (at most 64 KiB) fits one
    std::size_t blockUsed_ = 0;                   // bytes used of the last block
    // Per key: block number (bits 40 and up), offset in the block (bits 16..39), size (bits 0..15).
    std::vector<std::uint64_t> keyPlaces_;
    std::vector<TAtrib> objects_;
};

// CreateListOfFiles (file_list.h) into a packed list: the same items, the same checks. The CRC-32
// of the records is taken only with `checksum` (TableLoad::crc32 stays 0 otherwise).
TableLoad CreateListOfFiles(PackedFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked = nullptr, bool checksum = false);

} // namespace tarvela
