#include "scan/packed_file_list.h"

namespace tarvela {

std::size_t PackedFileList::add(std::string_view key, const TAtrib& object) {
    keys_.append(key);
    keyEnds_.push_back(keys_.size());
    objects_.push_back(object);
    return objects_.size() - 1;
}

void PackedFileList::reserve(std::size_t items) {
    keyEnds_.reserve(items);
    objects_.reserve(items);
}

} // namespace tarvela
