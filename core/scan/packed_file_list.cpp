#include "scan/packed_file_list.h"

#include <cstring>
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
    std::memcpy(blocks_.back().get() + blockUsed_, key.data(), key.size());
    keyPlaces_.push_back((std::uint64_t{blocks_.size() - 1} << 40) | (std::uint64_t{blockUsed_} << 16) | key.size());
    blockUsed_ += key.size();
    objects_.push_back(object);
    return objects_.size() - 1;
}

void PackedFileList::reserve(std::size_t items) {
    keyPlaces_.reserve(items);
    objects_.reserve(items);
}

} // namespace tarvela
