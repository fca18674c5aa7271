#pragma once
// A table in memory packed for a folder of a million files: the names in one block of text, the
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
    // Gives back the room the names' block kept for growth.
    void shrinkToFit() { keys_.shrink_to_fit(); }

    std::string_view key(std::size_t index) const {
        const std::size_t start = index == 0 ? 0 : keyEnds_[index - 1];
        return std::string_view(keys_).substr(start, keyEnds_[index] - start);
    }
    TAtrib* object(std::size_t index) { return &objects_.at(index); }
    const TAtrib* object(std::size_t index) const { return &objects_.at(index); }
    // A copy of the item's entry for a list that takes it over.
    std::unique_ptr<TAtrib> releaseObject(std::size_t index) const { return std::make_unique<TAtrib>(objects_.at(index)); }

private:
    std::string keys_;
    std::vector<std::uint64_t> keyEnds_; // where each key ends in keys_
    std::vector<TAtrib> objects_;
};

// CreateListOfFiles (file_list.h) into a packed list: the same items, the same checks.
TableLoad CreateListOfFiles(PackedFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked = nullptr);

} // namespace tarvela
