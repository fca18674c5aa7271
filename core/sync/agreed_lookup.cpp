#include "sync/agreed_lookup.h"

namespace tarvela {

AgreedLookup::AgreedLookup(const AgreedState& agreed, Side side)
    : side_(side), index_(agreed.records.size(), [this](std::size_t i) { return nameOf(i); }) {
    std::size_t bytes = 0;
    for (const AgreedRecord& r : agreed.records) bytes += r.name.size();
    names_.reserve(bytes);
    records_.reserve(agreed.records.size());
    for (const AgreedRecord& r : agreed.records) {
        records_.push_back({names_.size(), static_cast<std::uint32_t>(r.name.size()), r.nature, r.size, r.timeOf(side)});
        names_.append(r.name);
        index_.addFirst(records_.size() - 1);
    }
}

std::optional<AgreedRecord> AgreedLookup::find(std::string_view name) const {
    if (records_.empty()) return std::nullopt;
    const std::uint32_t i = index_.find(name);
    if (i == NameIndex<std::function<std::string_view(std::size_t)>>::kNone) return std::nullopt;
    const Record& r = records_[i];
    AgreedRecord found;
    found.nature = r.nature;
    found.size = r.size;
    found.setTime(side_, r.time);
    return found;
}

} // namespace tarvela
