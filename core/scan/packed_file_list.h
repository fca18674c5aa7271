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
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tarvela {

class PackedFileList {
public:
    // Appends an item (a copy of the entry) at the end; returns its index.
    std::size_t add(std::string_view key, const TAtrib& object);
    std::size_t add(std::string_view key, std::unique_ptr<TAtrib> object) { return add(key, *object); }

    std::size_t count() const { return count_; }
    // Nothing to prepare: items go into chunks that are never moved (kept for the lists' common use).
    void reserve(std::size_t) {}

    std::string_view key(std::size_t index) const {
        const std::uint64_t place = chunks_[index / kChunkItems]->places[index % kChunkItems];
        return {blocks_[place >> 40].get() + ((place >> 16) & kOffsetMask), place & 0xFFFF};
    }
    TAtrib* object(std::size_t index) { return chunks_[checked(index) / kChunkItems]->object(index % kChunkItems); }
    const TAtrib* object(std::size_t index) const {
        return chunks_[checked(index) / kChunkItems]->object(index % kChunkItems);
    }
    // A copy of the item's entry for a list that takes it over.
    std::unique_ptr<TAtrib> releaseObject(std::size_t index) const { return std::make_unique<TAtrib>(*object(index)); }

private:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << 24) - 1;
    // Items by chunks of a fixed size, allocated as they fill and never moved: a list that grows
    // copies nothing and never holds two copies of its entries, and a page of a chunk is only
    // touched once items fill it.
    static constexpr std::size_t kChunkItems = 4096;
    struct Chunk {
        // Per key: block number (bits 40 and up), offset in the block (bits 16..39), size (bits 0..15).
        std::uint64_t places[kChunkItems];
        // Room for the entries, each made when its item is added (not before: that would touch it).
        alignas(TAtrib) unsigned char objects[kChunkItems * sizeof(TAtrib)];

        TAtrib* object(std::size_t i) { return std::launder(reinterpret_cast<TAtrib*>(objects + i * sizeof(TAtrib))); }
        const TAtrib* object(std::size_t i) const {
            return std::launder(reinterpret_cast<const TAtrib*>(objects + i * sizeof(TAtrib)));
        }
    };
    static_assert(std::is_trivially_copyable_v<TAtrib> && std::is_trivially_destructible_v<TAtrib>,
                  "entries are copied in place and never destroyed one by one");

    std::size_t checked(std::size_t index) const;

    std::vector<std::unique_ptr<char[]>> blocks_; // kBlockSize bytes each; a key (at most 64 KiB) fits one
    std::size_t blockUsed_ = 0;                   // bytes used of the last block
    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::size_t count_ = 0;
};

// CreateListOfFiles (file_list.h) into a packed list: the same items, the same checks. The CRC-32
// of the records is taken only with `checksum` (TableLoad::crc32 stays 0 otherwise).
TableLoad CreateListOfFiles(PackedFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked = nullptr, bool checksum = false);

} // namespace tarvela
