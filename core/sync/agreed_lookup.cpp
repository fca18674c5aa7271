#include "sync/agreed_lookup.h"

#include "records/table_record.h"
#include "scan/case_fold.h"

#include <stdexcept>

namespace tarvela {

AgreedLookup::AgreedLookup(std::size_t records, Side side)
    : side_(side), room_(records), index_(records, NameOf{this}) {
    records_.reserve(records);
}

std::unique_ptr<AgreedLookup> AgreedLookup::read(ConstBytes file, std::string_view workFolder,
                                                 std::string_view homeFolder, Side side, std::uint64_t* generation) {
    std::unique_ptr<AgreedLookup> lookup;
    const bool sound = visitAgreedState(
        file, workFolder, homeFolder,
        [&](std::uint64_t g, std::uint32_t count) {
            if (generation != nullptr)
                *generation = g;
            lookup = std::make_unique<AgreedLookup>(count, side);
            const auto zones = agreedStateZones(file);
            const std::string& then = side == Side::Work ? zones.first : zones.second;
            if (!then.empty() && then != thisComputersZone().text()) {
                if (auto rules = ZoneRules::parse(then))
                    lookup->retime_.emplace(std::move(*rules), thisComputersZone());
            }
            // The names take less than the file: one block, never grown (the room left over is
            // never touched, so it takes no memory).
            lookup->names_.reserve(file.size());
        },
        [&](const AgreedRecordView& record) { lookup->add(record); });
    if (!sound || lookup->empty())
        return nullptr;
    return lookup;
}

void AgreedLookup::add(const AgreedRecordView& r) {
    if (r.name.size() > 0xFFFF)
        return; // never in a table: no file of a table can match it
    if (records_.size() >= room_)
        throw std::length_error("more agreed records than announced");
    const std::uint64_t place =
        (std::uint64_t{names_.size()} << 17) | (std::uint64_t{r.nature & 1u} << 16) | r.name.size();
    const double time = retime_ ? retime(r.timeOf(side_), retime_->first, retime_->second) : r.timeOf(side_);
    records_.push_back({place, r.size, time});
    names_.append(r.name);
    index_.addFirst(records_.size() - 1);
    if (r.nature == kNatureFile)
        listsAFile_ = true;
    if (r.nature == kNatureFile && r.checksum.empty())
        lacksChecksums_ = true;
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
