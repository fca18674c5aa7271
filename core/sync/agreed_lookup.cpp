#include "sync/agreed_lookup.h"

#include "scan/case_fold.h"

namespace tarvela {

AgreedLookup::AgreedLookup(const AgreedState& agreed, Side side)
    : side_(side), index_(agreed.records.size(), NameOf{this}) {
    std::size_t bytes = 0;
    for (const AgreedRecord& r : agreed.records)
        bytes += r.name.size();
    names_.reserve(bytes);
    records_.reserve(agreed.records.size());
    for (const AgreedRecord& r : agreed.records) {
        if (r.name.size() > 0xFFFF)
            continue; // never in a table: no file of a table can match it
        const std::uint64_t place =
            (std::uint64_t{names_.size()} << 17) | (std::uint64_t{r.nature & 1u} << 16) | r.name.size();
        records_.push_back({place, r.size, r.timeOf(side)});
        names_.append(r.name);
        index_.addFirst(records_.size() - 1);
    }
}

std::optional<AgreedRecord> AgreedLookup::find(std::string_view name) const {
    if (records_.empty())
        return std::nullopt;
    const std::uint32_t i = index_.find(name);
    if (i == NameIndex<NameOf>::kNone)
        return std::nullopt;
    const Record& r = records_[i];
    AgreedRecord found;
    found.nature = static_cast<std::uint8_t>((r.place >> 16) & 1);
    found.size = r.size;
    found.setTime(side_, r.time);
    return found;
}

bool AgreedLookup::knowsInAnotherSpelling(std::string_view name) const {
    if (!folded_) {
        folded_.emplace();
        for (std::size_t i = 0; i < records_.size(); ++i)
            folded_->insert(foldCase(nameOf(i)));
    }
    return folded_->contains(foldCase(name));
}

} // namespace tarvela
