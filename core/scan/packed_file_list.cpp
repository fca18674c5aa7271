#include "scan/packed_file_list.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace tarvela {

std::size_t PackedFileList::add(std::string_view key, const TAtrib& object) {
    if (key.size() > 0xFFFF)
        throw std::length_error("a name of more than 65535 bytes");
    if (blocks_.empty() || kBlockSize - blockUsed_ < key.size()) {
        // Not cleared: a page of the block is only touched once names fill it.
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        blockUsed_ = 0;
    }
    if (count_ == chunks_.size() * kChunkItems)
        chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
    std::memcpy(blocks_.back().get() + blockUsed_, key.data(), key.size());
    Chunk& chunk = *chunks_.back();
    const std::size_t i = count_ % kChunkItems;
    chunk.places[i] = (std::uint64_t{blocks_.size() - 1} << 40) | (std::uint64_t{blockUsed_} << 16) | key.size();
    ::new (static_cast<void*>(chunk.objects + i * sizeof(TAtrib))) TAtrib(object);
    blockUsed_ += key.size();
    return count_++;
}

std::size_t PackedFileList::checked(std::size_t index) const {
    if (index >= count_)
        throw std::out_of_range("no item of that number in the list");
    return index;
}

} // namespace tarvela
