#pragma once
// A hash index from names to item numbers, for lists of a million entries. The names stay where
// they are (the index asks `nameOf(item)` for them) and a slot is one 32-bit number, so the index
// costs 8 to 16 bytes per item where a hash map spends a node of 40 bytes or more on each, and a
// lookup touches one array instead of chasing a node.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tarvela {

template <typename NameOf> // std::string_view nameOf(std::size_t item)
class NameIndex {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    // Stored in a slot whose name has no item left: probing goes past it, and no name matches it.
    static constexpr std::uint32_t kGone = UINT32_MAX - 1;

    // An index for up to `items` items (numbers below `items`).
    NameIndex(std::size_t items, NameOf nameOf)
        : nameOf_(std::move(nameOf)), slots_(std::bit_ceil(std::max<std::size_t>(16, items + items / 2 + 1)), kNone),
          tags_(slots_.size(), 0) {
        if (items >= kGone)
            throw std::length_error("too many names to index");
    }

    std::size_t capacity() const { return slots_.size(); }

    // The slot that holds `name`, or the free slot where it would go.
    std::size_t slotOf(std::string_view name) const {
        const std::size_t mask = slots_.size() - 1;
        const std::size_t hash = std::hash<std::string_view>{}(name);
        const std::uint8_t tag = tagOf(hash);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const std::uint32_t item = slots_[slot];
            if (item == kNone)
                return slot;
            // The tag spares looking at the names of nearly all other slots on the way.
            if (item != kGone && tags_[slot] == tag && nameOf_(item) == name)
                return slot;
        }
    }
    bool isFree(std::size_t slot) const { return slots_[slot] == kNone; }
    // The item a slot stands for (kNone when free, kGone when emptied); a free slot is taken by
    // storing an item whose name led to it, and a taken one may hold another item of the same name.
    std::uint32_t itemAt(std::size_t slot) const { return slots_[slot]; }
    void store(std::size_t slot, std::size_t item) {
        if (isFree(slot))
            tags_[slot] = tagOf(std::hash<std::string_view>{}(nameOf_(item)));
        slots_[slot] = static_cast<std::uint32_t>(item);
    }

    // Adds the item unless an item of the same name is there already (the first one stays).
    void addFirst(std::size_t item) {
        const std::size_t slot = slotOf(nameOf_(item));
        if (isFree(slot))
            store(slot, item);
    }
    // The item stored for `name`, or kNone.
    std::uint32_t find(std::string_view name) const { return slots_[slotOf(name)]; }

private:
    // Bits of the hash that the slot's position does not already stand for.
    static std::uint8_t tagOf(std::size_t hash) { return static_cast<std::uint8_t>(hash >> (8 * sizeof hash - 8)); }

    NameOf nameOf_;
    std::vector<std::uint32_t> slots_; // at most two thirds full, so that probing stays short
    std::vector<std::uint8_t> tags_;   // by slot: a byte of the hash of the slot's name
};

} // namespace tarvela
