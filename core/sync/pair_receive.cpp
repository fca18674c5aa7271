#include "sync/pair_receive.h"

#include "platform/file_system.h"
#include "records/table_record.h"

#include <algorithm>

namespace tarvela {

PairReceive::PairReceive(SyncContext& context, const TProfilLine& profile, Side ownSide, int pair,
                         const AgreedState& agreed, std::optional<AgreedFileEnd> agreedEnd)
    : ctx(context), host(context.host), task(profile), own(ownSide), sender(otherSide(ownSide)), n(pair),
      previous(agreed), agreedWritten{agreed.generation, std::move(agreedEnd), {}}, ownFolder(tarvela::ownFolder(profile, ownSide, pair)),
      senderFolder(tarvela::ownFolder(profile, otherSide(ownSide), pair)),
      storeFolder(tarvela::storeFolder(context.PathTask, otherSide(ownSide), pair)), rooted(ownFolder),
      plan(context.plan) {}

std::string_view PairReceive::localName(const ReceiveRow& r) const {
    if (r.respelt)
        return S.key(static_cast<std::size_t>(r.s));
    if (r.l >= 0)
        return L.key(static_cast<std::size_t>(r.l));
    if (r.s >= 0)
        return S.key(static_cast<std::size_t>(r.s));
    return previous.records[static_cast<std::size_t>(r.a)].name;
}

std::string PairReceive::storedCopy(const ReceiveRow& r) const {
    if (!storeList)
        return {};
    const TAtrib& s = *sItem(r);
    const StoredFile* f = storeList->find(senderName(r), s.SizeFile, s.FileDataTime);
    if (f == nullptr || !isPlainStoreName(f->storeName))
        return {};
    const std::string path = storeFolder + f->storeName;
    return platform::fileExists(path) ? path : std::string();
}

bool PairReceive::storeCarries(const ReceiveRow& r) const {
    if (!storeList)
        return false;
    const TAtrib& s = *sItem(r);
    return storeList->find(senderName(r), s.SizeFile, s.FileDataTime) != nullptr;
}

std::optional<std::uint64_t> PairReceive::storedChecksum(const ReceiveRow& r) const {
    if (!storeList)
        return std::nullopt;
    const TAtrib& s = *sItem(r);
    const StoredFile* f = storeList->find(senderName(r), s.SizeFile, s.FileDataTime);
    return f == nullptr ? std::nullopt : f->checksum;
}

void PairReceive::showProgress(std::size_t i) {
    host.setFolderProgress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(rows.size()));
    host.setTaskProgress(static_cast<std::int64_t>(i + 1));
}

void PairReceive::record(ReceiveRow& r, double ownTime, std::optional<std::uint64_t> checksum) {
    const TAtrib& s = *sItem(r);
    r.record = std::make_unique<AgreedRecord>(AgreedRecord{std::string(localName(r)),
                                                           s.Nature,
                                                           s.Nature == kNatureFile ? s.SizeFile : 0,
                                                           0,
                                                           0,
                                                           checksum ? checksumBytes(*checksum) : std::string()});
    r.record->setTime(sender, s.FileDataTime);
    r.record->setTime(own, ownTime);
    recordedSinceCheckpoint = true;
}

AgreedChanges PairReceive::agreedChangesSoFar() const {
    AgreedChanges changes;
    for (const ReceiveRow& r : rows) {
        if (r.setAside || !r.done)
            continue; // the old record stays
        const AgreedRecord* old = aRecord(r);
        switch (r.decision.after) {
        case AgreedAfter::Keep:
            if (old != nullptr && r.respelt && localName(r) != old->name) {
                changes.dropped.push_back(old->name);
                changes.set.push_back(*old);
                changes.set.back().name = localName(r);
            }
            break;
        case AgreedAfter::Record:
            // Every step that records and was done made its record; a dry run makes none (and
            // its state is never written).
            if (r.record) {
                if (old != nullptr && old->name != r.record->name)
                    changes.dropped.push_back(old->name);
                changes.set.push_back(*r.record);
            }
            break;
        case AgreedAfter::Drop:
            if (old != nullptr)
                changes.dropped.push_back(old->name);
            break;
        }
    }
    return changes;
}

std::string withoutFolderMark(std::string_view name) {
    return std::string(isFolderName(name) ? name.substr(0, name.size() - std::min<std::size_t>(name.size(), 3))
                                          : name);
}

} // namespace tarvela
