#include "sync/receive_pair.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "copy/copier.h"
#include "copy/disk_tools.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/cp1251.h"
#include "records/date_time.h"
#include "records/store_list.h"
#include "records/table_check.h"
#include "records/table_record.h"
#include "scan/case_fold.h"
#include "scan/exclusions.h"
#include "scan/file_list.h"
#include "scan/name_index.h"
#include "scan/packed_file_list.h"
#include "scan/table_writer.h"
#include "sync/conflict_name.h"
#include "sync/half_lines.h"
#include "sync/pair_guard.h"
#include "sync/receive_decision.h"
#include "sync/rooted_path.h"
#include "sync/run_plan.h"
#include "sync/sender_table_trust.h"
#include "sync/table_after_receive.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarvela {
namespace {

// More removals than this, and more than half of what the pair's agreed state lists, are asked
// about once before any of them is done.
constexpr std::int64_t kHandfulOfFiles = 5;

// The folder that holds the path; either separator counts where the system takes both (Windows).
std::string parentOf(const std::string& path) {
    const char separators[] = {'/', platform::pathSeparator(), '\0'};
    return path.substr(0, path.find_last_of(separators));
}

// The path of `name` in `folder` (which ends with its separator).
std::string inFolder(const std::string& folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + name.size());
    path += folder;
    path += name;
    return path;
}

bool isFolderName(std::string_view name) {
    return name == ".." || name.ends_with("/..");
}

ItemState stateOf(const TAtrib& a) {
    return {a.Nature, a.SizeFile, a.FileDataTime};
}

// One relative name with what each of the three sources says of it (indexes, -1 = absent).
struct Row {
    std::ptrdiff_t a = -1;
    std::ptrdiff_t s = -1;
    std::ptrdiff_t l = -1;
    bool setAside = false; // excluded by the masks: never copied, removed or recorded
    ReceiveDecision decision;
    bool done = false;        // the decided step was carried out; otherwise the old record stays
    bool respelt = false;     // the local item took the sender's spelling (see takeSenderSpellings)
    bool sameContent = false; // this computer's file holds the bytes of the stored copy
    // What the computers agree on once the step is done, for a decision that records anew (held
    // apart: most rows record nothing, and a row is one of tens of thousands).
    std::unique_ptr<AgreedRecord> record;
};

class PairReceiver {
public:
    PairReceiver(SyncContext& ctx, const TProfilLine& task, Side own, int n, const AgreedState& previous,
                 PackedFileList* scanned)
        : ctx_(ctx), host_(ctx.host), task_(task), own_(own), sender_(otherSide(own)), n_(n), previous_(previous),
          ownFolder_(ownFolder(task, own, n)), senderFolder_(ownFolder(task, sender_, n)),
          storeFolder_(storeFolder(ctx.PathTask, sender_, n)), rooted_(ownFolder_), plan_(ctx.plan),
          scanned_(scanned) {}

    PairReceipt run() {
        const std::string senderTable = tableFile(ctx_.PathTask, sender_, n_);
        const TableLoad load = CreateListOfFiles(S_, senderTable, senderFolder_, &host_, true);
        hold_ = judgeSenderTable(senderTable, load, ownFolder_, host_);
        // A dry run has no scan of a folder the real run would make: it is empty.
        const std::string ownTable = scanTableFile(ctx_, own_, n_);
        if (scanned_ != nullptr)
            L_ = std::move(*scanned_);
        else if (plan_ == nullptr || platform::fileExists(ownTable))
            CreateListOfFiles(L_, ownTable, ownFolder_);
        // What this computer's scan could not read is not known to be absent here either.
        TableCheck ownCheck;
        if (readTableCheck(ownTable, ownCheck) == TableCheckState::Read) {
            ownHold_.unreadableFolders = std::move(ownCheck.unreadableFolders);
        } else {
            journal_.unsure(); // which folders the scan missed is not known
        }
        storeList_ = readStoreList(storeListFile(storeRoot(ctx_.PathTask, sender_), n_));
        join(plan_ == nullptr ? platform::namesFoldCase(ownFolder_) : foldCaseSeenInScan());
        journal_.touched(""); // the probe of the case rule was made and removed in the pair folder
        const std::int64_t sum = decide();

        PairReceipt receipt;
        receipt.copySum = sum;
        receipt.senderTableDamaged = hold_.damaged;
        if (!enoughSpaceFor(host_, ownFolder_, spaceTakenByCopies())) {
            receipt.notEnoughSpace = true;
            receipt.agreed = previous_;
            return receipt;
        }
        // A store folder that is a link could hand over any file of this computer: not used.
        storeLink_ = platform::linkBelow(ctx_.PathTask, storeFolder_);
        if (!storeLink_.empty())
            host_.echo(std::string(msg::kLinkOnMedium) + storeLink_, color::kRed);
        if (sum > 0 && plan_ == nullptr) {
            host_.showProgressPanel(true);
            host_.echo(own_ == Side::Home ? std::string(msg::kCopyingFilesTo) + ownFolder_
                                          : std::string(msg::kCopyingFilesFrom) + storeFolder_,
                       color::kGreen);
        }
        if (fold_)
            takeSenderSpellings();
        applyCopies();
        receipt.diskFailed = diskFailed_;
        if (diskFailed_) {
            receipt.agreed = previous_;
            return receipt;
        }
        applyRemovals();
        receipt.agreed = agreedAfter();
        receipt.ownTable =
            deriveTableAfterReceive(ownFolder_, L_, ownCheck.unreadableFolders, journal_, fold_, host_);
        return receipt;
    }

private:
    // The name by which the three sources are joined: the name itself, or where names that differ
    // in letter case only are one name here, its folded form (kept as long as the rows).
    std::string_view key(std::string_view name) {
        if (!fold_)
            return name;
        foldedKeys_.push_back(foldCase(name));
        return foldedKeys_.back();
    }

    // The row joined under `k`, made (empty) when there is none yet; whether it was made.
    std::pair<std::size_t, bool> rowFor(std::string_view k) {
        if (rows_.size() == rowsIndexed_)
            indexRows(2 * rowsIndexed_);
        const std::size_t slot = rowIndex_->slotOf(k);
        if (!rowIndex_->isFree(slot))
            return {rowIndex_->itemAt(slot), false};
        rows_.push_back({});
        rowKeys_.push_back(k);
        rowIndex_->store(slot, rows_.size() - 1);
        return {rows_.size() - 1, true};
    }

    // A fresh index of the rows, with room for `rows` of them (each row's key is one of its own).
    void indexRows(std::size_t rows) {
        rowIndex_.emplace(rows, RowKeyOf{&rowKeys_});
        rowsIndexed_ = rows;
        for (std::size_t row = 0; row < rowKeys_.size(); ++row)
            rowIndex_->store(rowIndex_->slotOf(rowKeys_[row]), row);
    }

    // This computer's first item joined under `k`, or -1. Only asked of sender names that are one
    // name here (rare): the index is made on the first question.
    std::ptrdiff_t localItem(std::string_view k) {
        if (!localOf_) {
            localOf_.emplace();
            for (std::size_t i = 0; i < L_.count(); ++i)
                localOf_->try_emplace(key(L_.key(i)), static_cast<std::ptrdiff_t>(i));
        }
        const auto it = localOf_->find(k);
        return it == localOf_->end() ? -1 : it->second;
    }

    // Rows in the sender's order, then names only this computer has, then names only A has.
    void join(bool fold) {
        fold_ = fold;
        const std::size_t most = S_.count() + L_.count() + previous_.records.size();
        // Room for every name of the three sources costs no more than the rows made: memory is
        // only touched as the rows fill it. The index is made for the largest source (the rows
        // of folders in step) and made again, twice as large, should more rows come.
        rows_.reserve(most);
        rowKeys_.reserve(most);
        indexRows(std::max({S_.count(), L_.count(), previous_.records.size(), std::size_t{16}}));
        for (std::size_t i = 0; i < S_.count(); ++i) {
            const std::string_view name = S_.key(i);
            if (name == "..")
                continue; // the pair folder itself is never decided on
            const std::string_view k = key(name);
            const auto [row, made] = rowFor(k);
            if (made) {
                rows_[row].s = static_cast<std::ptrdiff_t>(i);
                continue;
            }
            // Two sender names that are one name here: the one with this computer's exact case
            // wins, else the first; the other is refused and never taken for a removal.
            Row& r = rows_[row];
            const std::ptrdiff_t local = localItem(k);
            std::ptrdiff_t loser = static_cast<std::ptrdiff_t>(i);
            if (local >= 0 && L_.key(static_cast<std::size_t>(local)) == name &&
                S_.key(static_cast<std::size_t>(r.s)) != name) {
                loser = r.s;
                r.s = static_cast<std::ptrdiff_t>(i);
            }
            host_.echo(std::string(msg::kCaseTwin) + senderFolder_ +
                           std::string(S_.key(static_cast<std::size_t>(loser))),
                       color::kRed);
        }
        for (std::size_t i = 0; i < L_.count(); ++i) {
            if (L_.key(i) == "..")
                continue;
            Row& r = rows_[rowFor(key(L_.key(i))).first];
            if (r.l < 0)
                r.l = static_cast<std::ptrdiff_t>(i);
        }
        for (std::size_t i = 0; i < previous_.records.size(); ++i) {
            if (previous_.records[i].name == "..")
                continue;
            Row& r = rows_[rowFor(key(previous_.records[i].name)).first];
            if (r.a < 0)
                r.a = static_cast<std::ptrdiff_t>(i);
        }
    }

    // The row joined under `k`, if any.
    Row* rowOf(std::string_view k) {
        const std::uint32_t row = rowIndex_->find(k);
        return row == RowIndex::kNone ? nullptr : &rows_[row];
    }

    const TAtrib* sItem(const Row& r) const { return r.s < 0 ? nullptr : S_.object(static_cast<std::size_t>(r.s)); }
    const TAtrib* lItem(const Row& r) const { return r.l < 0 ? nullptr : L_.object(static_cast<std::size_t>(r.l)); }
    const AgreedRecord* aRecord(const Row& r) const {
        return r.a < 0 ? nullptr : &previous_.records[static_cast<std::size_t>(r.a)];
    }
    // The name on this computer: the local item's own spelling when it has one.
    std::string_view localName(const Row& r) const {
        if (r.respelt)
            return S_.key(static_cast<std::size_t>(r.s));
        if (r.l >= 0)
            return L_.key(static_cast<std::size_t>(r.l));
        if (r.s >= 0)
            return S_.key(static_cast<std::size_t>(r.s));
        return previous_.records[static_cast<std::size_t>(r.a)].name;
    }

    // The stored copy of the sender's current entry, or "" when the store does not hold it: with
    // the store's list, only a copy stored with the same name, size and time.
    std::string storedCopy(const Row& r) const {
        const TAtrib& s = *sItem(r);
        std::string path;
        if (storeList_) {
            const StoredFile* f = storeList_->find(S_.key(static_cast<std::size_t>(r.s)), s.SizeFile, s.FileDataTime);
            if (f == nullptr || !isPlainStoreName(f->storeName))
                return {};
            path = storeFolder_ + f->storeName;
        } else {
            path = storeFolder_ + s.FNameTmp.text();
        }
        return platform::fileExists(path) ? path : std::string();
    }

    // The content checksum recorded for the stored copy of the sender's current entry; empty for a
    // store that has none (made by an older version) and for a copy not stored.
    std::optional<std::uint64_t> storedChecksum(const Row& r) const {
        if (!storeList_)
            return std::nullopt;
        const TAtrib& s = *sItem(r);
        const StoredFile* f = storeList_->find(S_.key(static_cast<std::size_t>(r.s)), s.SizeFile, s.FileDataTime);
        return f == nullptr ? std::nullopt : f->checksum;
    }

    std::int64_t decide() {
        std::int64_t sum = 0;
        for (Row& r : rows_) {
            const std::string_view name = localName(r);
            if (isExcluded(ctx_.ListExcept, inFolder(ownFolder_, name)) ||
                isExcluded(ctx_.ListExcept, inFolder(senderFolder_, name))) {
                r.setAside = true;
                continue;
            }
            // A name missing from a sender's table that cannot be trusted (damaged, or below a
            // folder its scan could not read), or from this computer's scan below a folder it could
            // not read, says nothing: the name is left alone and its agreed record stays.
            if ((r.s < 0 && !hold_.allowsRemoval(name)) || (r.l < 0 && !ownHold_.allowsRemoval(name))) {
                r.setAside = true;
                continue;
            }
            const TAtrib* s = sItem(r);
            const TAtrib* l = lItem(r);
            const ItemState sState = s ? stateOf(*s) : ItemState{};
            const ItemState lState = l ? stateOf(*l) : ItemState{};
            r.decision =
                decideReceive(aRecord(r), s ? &sState : nullptr, l ? &lState : nullptr, sender_, task_.OperacDell, [&] {
                    const std::string stored = storedCopy(r);
                    r.sameContent = !stored.empty() && platform::sameContents(stored, inFolder(ownFolder_, name));
                    return r.sameContent;
                });
            const ReceiveStep step = r.decision.step;
            const bool copies =
                step == ReceiveStep::Copy || step == ReceiveStep::CopyNotice || step == ReceiveStep::ConflictCopy;
            if (!copies)
                continue;
            if (s->Nature == kNatureFile)
                sum += s->SizeFile;
            if (r.a < 0 && r.l < 0) {
                host_.echo(std::string(msg::kFileAdded) + task_.pair(static_cast<std::size_t>(n_)).PathWork.text() +
                               std::string(S_.key(static_cast<std::size_t>(r.s))),
                           color::kGreen);
            } else if (l != nullptr) {
                host_.echo(std::string(msg::kFilesDiffer) + inFolder(senderFolder_, S_.key(static_cast<std::size_t>(r.s))) +
                               std::string(msg::kFilesDifferSeparator) + inFolder(ownFolder_, name),
                           color::kPurple);
            }
        }
        return sum;
    }

    void progress(std::size_t i) {
        host_.setFolderProgress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(rows_.size()));
        host_.setTaskProgress(static_cast<std::int64_t>(i + 1));
    }

    // What the copies take on this computer's disk: a small file fills a whole allocation unit.
    std::int64_t spaceTakenByCopies() const {
        const std::int64_t unit = AllocationUnit(ownFolder_);
        std::int64_t total = 0;
        for (const Row& r : rows_) {
            const ReceiveStep step = r.decision.step;
            if (r.setAside || r.s < 0 || sItem(r)->Nature != kNatureFile)
                continue;
            if (step == ReceiveStep::Copy || step == ReceiveStep::CopyNotice || step == ReceiveStep::ConflictCopy) {
                total += SpaceTaken(sItem(r)->SizeFile, unit);
            }
        }
        return total;
    }

    // Where names that differ in letter case only are one name, an item both sides have takes the
    // sender's spelling: a name renamed in letter case there is renamed here too, and the next send
    // from here finds it as agreed instead of carrying it back. Folders above first; an item counts
    // as respelt only when its whole path now reads as the sender spells it (a folder above that
    // kept its spelling, refused as a case twin or not renamed, keeps the item's own too).
    void takeSenderSpellings() {
        std::vector<Row*> differing;
        for (Row& r : rows_) {
            if (r.setAside || r.s < 0 || r.l < 0 || sItem(r)->Nature != lItem(r)->Nature ||
                S_.key(static_cast<std::size_t>(r.s)) == L_.key(static_cast<std::size_t>(r.l)))
                continue;
            differing.push_back(&r);
        }
        const auto depth = [&](const Row* r) {
            const std::string name = withoutFolderMark(L_.key(static_cast<std::size_t>(r->l)));
            return std::count(name.begin(), name.end(), '/');
        };
        std::stable_sort(differing.begin(), differing.end(),
                         [&](const Row* a, const Row* b) { return depth(a) < depth(b); });
        std::unordered_map<std::string, std::string> onDisk; // renamed folders: folded path -> spelling now
        for (Row* r : differing) {
            const std::string from = withoutFolderMark(L_.key(static_cast<std::size_t>(r->l)));
            const std::string to = withoutFolderMark(S_.key(static_cast<std::size_t>(r->s)));
            const std::size_t leaf = from.rfind('/') + 1; // both spell the same folders, so the same length up to here
            std::string above = from.substr(0, leaf);
            if (const auto it = onDisk.find(foldCase(above)); it != onDisk.end())
                above = it->second;
            std::string now = above + from.substr(leaf);
            // Only below real folders of the pair (the copy's own check says why otherwise).
            if (from.compare(leaf, std::string::npos, to, leaf, std::string::npos) != 0 &&
                rooted_.parentsStayInside(now) &&
                platform::renameLetterCase(ownFolder_ + now, ownFolder_ + above + to.substr(leaf))) {
                now = above + to.substr(leaf);
                // Rare: the table is read afresh rather than respelt entry by entry.
                journal_.unsure();
            }
            if (sItem(*r)->Nature == kNatureFolder)
                onDisk[foldCase(to + "/")] = now + "/";
            r->respelt = now == to;
        }
    }

    // The name of a folder entry without its "/.." ("" for the pair folder's own entry).
    static std::string withoutFolderMark(std::string_view name) {
        return std::string(isFolderName(name) ? name.substr(0, name.size() - std::min<std::size_t>(name.size(), 3)) : name);
    }

    void applyCopies() {
        host_.setFolderProgress(0, static_cast<std::int64_t>(rows_.size()));
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            // This computer's disk filled up or went away: the store stays for another try.
            if (host_.stopRequested() || diskFailed_)
                return;
            Row& r = rows_[i];
            if (r.setAside || r.decision.step == ReceiveStep::Delete)
                continue;
            progress(i);
            const std::string dest = inFolder(ownFolder_, localName(r));
            switch (r.decision.step) {
            case ReceiveStep::Copy:
            case ReceiveStep::CopyNotice:
                r.done = copyIn(r, dest);
                if (r.done && r.decision.step == ReceiveStep::CopyNotice) {
                    host_.echo(std::string(msg::kRestoredChangedThere) + dest, color::kOrange);
                }
                break;
            case ReceiveStep::ConflictCopy:
                r.done = conflictThenCopy(r, dest);
                break;
            case ReceiveStep::KeepNotice:
                host_.echo(std::string(msg::kKeptChangedHere) + dest, color::kOrange);
                r.done = true;
                break;
            case ReceiveStep::Nothing:
                // Found the same as the stored copy by content: the store's checksum is this file's.
                if (r.decision.after == AgreedAfter::Record)
                    record(r, lItem(r)->FileDataTime, r.sameContent ? storedChecksum(r) : std::nullopt);
                r.done = true;
                break;
            default:
                r.done = true;
                break;
            }
        }
    }

    void record(Row& r, double ownTime, std::optional<std::uint64_t> checksum = std::nullopt) {
        const TAtrib& s = *sItem(r);
        r.record = std::make_unique<AgreedRecord>(AgreedRecord{std::string(localName(r)),
                                                               s.Nature,
                                                               s.Nature == kNatureFile ? s.SizeFile : 0,
                                                               0,
                                                               0,
                                                               checksum ? checksumBytes(*checksum) : std::string()});
        r.record->setTime(sender_, s.FileDataTime);
        r.record->setTime(own_, ownTime);
    }

    // Whether this computer's table can hold the entry `name` once it is in place: its path, and the
    // folder entry of the folder that holds it (one character longer for a name of one character).
    // An entry that the table cannot hold would drop out of it and look deleted to the other
    // computer.
    bool fitsInOwnTable(const std::string& name) const {
        const std::string plain = isFolderName(name) ? name.substr(0, name.size() - 3) : name;
        const auto slash = plain.rfind('/');
        const std::string folderEntry =
            ownFolder_ + (slash == std::string::npos ? "" : plain.substr(0, slash + 1)) + "..";
        return utf8CharCount(ownFolder_ + name) <= kMaxPathChars && utf8CharCount(folderEntry) <= kMaxPathChars;
    }

    // `setAside`: a conflict; this computer's version at `dest` moves to a conflict name once the
    // incoming copy is complete and verified, just before the copy takes the name.
    bool copyIn(Row& r, const std::string& dest, bool setAside = false) {
        const std::string name(localName(r));
        const TAtrib& s = *sItem(r);
        const bool folder = s.Nature == kNatureFolder;
        host_.setFileLabel(dest);
        if (!fitsInOwnTable(name)) {
            host_.echo(std::string(msg::kPathTooLong) + dest, color::kRed);
            return false;
        }
        if (!folder && !storeLink_.empty())
            return false; // said once for the pair
        const std::string stored = folder ? std::string() : storedCopy(r);
        if (!folder && stored.empty()) {
            if (!platform::folderExists(ctx_.PathTask))
                mediumGone();
            host_.echo(std::string(msg::kFileMissing) + storeFolder_ + s.FNameTmp.text(), color::kRed);
            return false;
        }
        // A copy cut short (the drive was pulled, or failed) must not replace the file; it stays due
        // and travels again with the next send.
        // (A link there is left to the copier, which refuses it by its own line.)
        if (!folder && platform::pathKindNoFollow(stored) == platform::PathKind::File &&
            platform::querySize(stored).size != s.SizeFile) {
            host_.echo(std::string(msg::kStoredCopyWrongSize) + dest, color::kRed);
            return false;
        }
        // Files standing where a folder of this entry goes (the other computer made a folder of
        // one) are cleared top down, each only after the folders above it proved real.
        const std::string path = folder ? name.substr(0, name.size() - 3) : name;
        std::vector<std::string> ways; // the folders this entry needs, from the top
        for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
            ways.push_back(path.substr(0, slash));
        }
        if (folder)
            ways.push_back(path);
        for (const std::string& above : ways) {
            if (!rooted_.parentsStayInside(above)) {
                host_.echo(std::string(rooted_.refusal()) + dest, color::kRed);
                return false;
            }
            if (platform::pathKindNoFollow(ownFolder_ + above) == platform::PathKind::File &&
                !clearTheWay(ownFolder_ + above, above + "/..")) {
                return false;
            }
        }
        if (!rooted_.parentsStayInside(name)) {
            host_.echo(std::string(rooted_.refusal()) + dest, color::kRed);
            return false;
        }
        journal_.wayTo(name);
        if (folder) {
            // A folder new on the sender arrives even when it is empty.
            if (!makeFolders(ownFolder_ + path))
                return false;
            record(r, s.FileDataTime);
            return true;
        }
        if (!makeFolders(parentOf(dest)))
            return false;
        // A folder where the file goes (the other computer made a file of it) is set aside whole.
        if (platform::pathKindNoFollow(dest) == platform::PathKind::Folder && !moveAside(dest))
            return false;
        // The sender's recorded time, not the stored copy's: a medium that rounds times (FAT keeps
        // two seconds) must not make the file travel again.
        // A link on the medium is not followed. A copy whose content differs from its checksum (a
        // damaged block on the drive) does not replace the file; it stays due like a short one.
        const std::optional<std::uint64_t> checksum = storedChecksum(r);
        std::function<bool()> beforeReplace;
        if (setAside)
            beforeReplace = [this, &dest] { return moveAside(dest); };
        if (plan_ != nullptr) {
            if (setAside && !moveAside(dest))
                return false;
            ++plan_->copyFiles;
            plan_->copyBytes += s.SizeFile;
            return true;
        }
        if (!CopyFileExProgress(ctx_.FileCopier, stored, dest, dateTimeToFileTime(s.FileDataTime), CopySource::Medium,
                                ChecksumUse{false, checksum}, std::move(beforeReplace))) {
            const DiskTrouble trouble = ctx_.FileCopier.LastDiskTrouble();
            if (trouble == DiskTrouble::SourceGone)
                throw FileError(msg::kFolderUnreachable, ctx_.PathTask, 0);
            diskFailed_ = trouble == DiskTrouble::DestinationFull || trouble == DiskTrouble::DestinationGone;
            return false;
        }
        // This side's time as its own file system keeps it: for the agreed state and for the table.
        const auto kept = platform::lastWriteTime(dest);
        if (kept) {
            journal_.copied(name, s.SizeFile, fileTimeToDateTime(*kept));
        } else {
            journal_.unsure();
        }
        record(r, kept ? fileTimeToDateTime(*kept) : s.FileDataTime, checksum);
        return true;
    }

    // This computer's version moves aside under a conflict name (never over another file) and the
    // sender's version takes the name, both only once the incoming copy is complete and sound: a
    // copy missing, damaged or cut short leaves this computer's version where it is.
    bool conflictThenCopy(Row& r, const std::string& dest) { return copyIn(r, dest, true); }

    // A file where a new folder goes: removed when it is as the computers agreed and the other
    // computer no longer has it (its own row says so), else set aside as a conflict copy.
    bool clearTheWay(const std::string& path, const std::string& folderName) {
        Row* row = rowOf(key(std::string_view(folderName).substr(0, folderName.size() - 3)));
        if (row != nullptr && task_.OperacDell && !row->setAside && row->decision.step == ReceiveStep::Delete) {
            if (!removeFile(path))
                return false;
            journal_.removedFile(relative(path));
            row->done = true;
            return true;
        }
        return moveAside(path);
    }

    // The medium went away under the half: one red line, and the half ends as a failed table would.
    [[noreturn]] void mediumGone() {
        host_.echo(std::string(msg::kFolderUnreachable) + ctx_.PathTask, color::kRed);
        throw FileError(msg::kFolderUnreachable, ctx_.PathTask, 0);
    }

    // Renames what stands at `path` to a conflict name that no other item has; false (with a red
    // line) when it cannot be moved, and then nothing is put in its place.
    bool moveAside(const std::string& path) {
        const auto now = std::chrono::system_clock::now();
        const std::string_view computer = own_ == Side::Home ? "домашний" : "рабочий";
        const bool folder = platform::pathKindNoFollow(path) == platform::PathKind::Folder;
        for (int attempt = 1; attempt < 1000; ++attempt) {
            const std::string aside = conflictCopyPath(path, computer, now, attempt);
            if (plan_ != nullptr) {
                // The name the rename would take: the first one free now.
                if (platform::pathKindNoFollow(aside) != platform::PathKind::Missing)
                    continue;
                host_.echo(std::string(msg::kConflictKept) + aside, color::kOrange);
                ++plan_->conflicts;
                return true;
            }
            const platform::RenameResult result = platform::renameNoReplace(path, aside);
            if (result == platform::RenameResult::Taken)
                continue;
            if (result == platform::RenameResult::Failed)
                break;
            journal_.movedAside(relative(path), relative(aside), folder);
            host_.echo(std::string(msg::kConflictKept) + aside, color::kOrange);
            return true;
        }
        host_.echo(std::string(msg::kConflictNotSetAside) + path, color::kRed);
        return false;
    }

    bool makeFolders(const std::string& folder) { return plan_ != nullptr || makeFoldersOrSay(host_, folder); }

    // Removes one file (to the trash when the profile says so); a dry run says it would.
    bool removeFile(const std::string& path) {
        if (plan_ == nullptr)
            return DelFiles(path, task_.DellBasket, host_);
        echoPlannedRemoval(host_, path);
        ++plan_->removals;
        return true;
    }

    // Whether names that differ only in letter case are one name here, for a dry run, which may
    // not leave a probe file: an ASCII name of the scan looked up with its case swapped. With no
    // such name, yes (as the probe answers a folder it cannot write).
    bool foldCaseSeenInScan() const {
        std::unordered_set<std::string> names;
        for (std::size_t i = 0; i < L_.count(); ++i)
            names.emplace(L_.key(i));
        for (std::size_t i = 0; i < L_.count(); ++i) {
            if (L_.key(i) == "..")
                continue; // the pair folder's own entry
            const std::string name = withoutFolderMark(L_.key(i));
            std::string swapped = name;
            for (char& c : swapped) {
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
                else if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            }
            if (swapped == name || names.contains(swapped) || names.contains(swapped + "/.."))
                continue;
            return platform::pathKindNoFollow(ownFolder_ + swapped) != platform::PathKind::Missing;
        }
        return true;
    }

    // The name below the pair folder of a path in it.
    std::string relative(const std::string& path) const { return path.substr(ownFolder_.size()); }

    // Removals: files first, then folders deepest first and only when empty. Not allowed by the
    // profile, or declined: the item stays and counts as made here from now on.
    void applyRemovals() {
        std::vector<std::size_t> files;
        std::vector<std::size_t> folders;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const Row& r = rows_[i];
            // Done already: a file removed to make way for a folder of the same name.
            if (r.setAside || r.decision.step != ReceiveStep::Delete || r.done)
                continue;
            (isFolderName(localName(r)) ? folders : files).push_back(i);
        }
        if (files.empty() && folders.empty())
            return;
        if (!task_.OperacDell) {
            for (const std::size_t i : files)
                rows_[i].done = true;
            for (const std::size_t i : folders)
                rows_[i].done = true;
            return;
        }
        std::int64_t listed = 0;
        for (const AgreedRecord& a : previous_.records)
            listed += a.nature == kNatureFile ? 1 : 0;
        const auto count = static_cast<std::int64_t>(files.size());
        // A dry run asks nothing: it lists every removal the run would make or ask about.
        if (plan_ == nullptr && count > kHandfulOfFiles && count * 2 > listed &&
            !host_.askMassRemoval(ownFolder_, count, listed)) {
            // Left undone, with the agreed records kept: the question comes again next time.
            host_.echo(std::string(msg::kMassRemovalSkipped) + std::to_string(count) +
                           std::string(msg::kMassRemovalOf) + std::to_string(listed) +
                           std::string(msg::kMassRemovalSkippedIn) + ownFolder_,
                       color::kRed);
            return;
        }
        std::stable_sort(folders.begin(), folders.end(), [&](std::size_t x, std::size_t y) {
            const auto depth = [&](std::size_t i) {
                const std::string_view name = localName(rows_[i]);
                return std::count(name.begin(), name.end(), '/');
            };
            return depth(x) > depth(y);
        });
        answer_ = task_.DellConfirmat && plan_ == nullptr ? DeleteAnswer::Yes : DeleteAnswer::YesToAll;
        for (const std::size_t i : files) {
            if (host_.stopRequested())
                return;
            progress(i);
            removeOne(rows_[i]);
        }
        for (const std::size_t i : folders) {
            if (host_.stopRequested())
                return;
            progress(i);
            removeOne(rows_[i]);
        }
    }

    void removeOne(Row& r) {
        const std::string name(localName(r));
        const std::string dest = ownFolder_ + name;
        if (own_ == Side::Home)
            host_.setFileLabel(dest);
        if (answer_ == DeleteAnswer::Yes || answer_ == DeleteAnswer::No) {
            answer_ = host_.askDelete(dest);
            // Closing the question without an answer keeps everything, as "Нет для всех" does.
            if (answer_ == DeleteAnswer::Closed)
                answer_ = DeleteAnswer::NoToAll;
        }
        if (answer_ == DeleteAnswer::No || answer_ == DeleteAnswer::NoToAll) {
            r.done = true;
            return;
        }
        // Already gone (with a folder set aside or removed before it): nothing to remove.
        const std::string item = isFolderName(name) ? dest.substr(0, dest.size() - 3) : dest;
        const platform::PathKind kind = platform::pathKindNoFollow(item);
        if (kind == platform::PathKind::Missing) {
            r.done = true;
            return;
        }
        if (!rooted_.parentsStayInside(name)) {
            host_.echo(std::string(rooted_.refusal()) + dest, color::kRed);
            return;
        }
        if (!isFolderName(name)) {
            // A folder there now is not the file this row removes (it was put there by this receive
            // or made here): never removed or moved to the trash in the file's place.
            if (kind == platform::PathKind::Folder) {
                r.done = true;
                return;
            }
            r.done = removeFile(dest);
            if (r.done)
                journal_.removedFile(name);
            return;
        }
        const std::string& folder = item; // without "/.."
        if (plan_ != nullptr) {
            // Removed by the real run once what it removes first has left it empty.
            if (kind == platform::PathKind::Folder) {
                echoPlannedRemoval(host_, folder);
                ++plan_->removals;
            }
            r.done = true;
            return;
        }
        if (kind == platform::PathKind::Folder) {
            if (folderReadsEmpty(folder)) {
                journal_.removalTried(name.substr(0, name.size() - 3));
                DelDir(folder, task_.DellBasket, true, host_);
            } else {
                // Something kept, made here, excluded or hidden is still inside.
                host_.echo(std::string(msg::kFolderNotEmptyKept) + folder, color::kOrange);
            }
        }
        r.done = true;
    }

    AgreedState agreedAfter() const {
        AgreedState next{previous_.workFolder, previous_.homeFolder, previous_.generation, {}};
        next.records.reserve(rows_.size());
        for (const Row& r : rows_) {
            const AgreedRecord* old = aRecord(r);
            if (r.setAside || !r.done) {
                if (old != nullptr)
                    next.records.push_back(*old);
                continue;
            }
            switch (r.decision.after) {
            case AgreedAfter::Keep:
                if (old != nullptr) {
                    next.records.push_back(*old);
                    if (r.respelt)
                        next.records.back().name = localName(r);
                }
                break;
            case AgreedAfter::Record:
                // Every step that records and was done made its record; a dry run makes none (and
                // its state is never written).
                if (r.record)
                    next.records.push_back(*r.record);
                break;
            case AgreedAfter::Drop:
                break;
            }
        }
        return next;
    }

    SyncContext& ctx_;
    RunHost& host_;
    const TProfilLine& task_;
    Side own_;
    Side sender_;
    int n_;
    const AgreedState& previous_;
    std::string ownFolder_;
    std::string senderFolder_;
    std::string storeFolder_;
    RootedPath rooted_;
    PackedFileList S_; // the sender's table
    PackedFileList L_; // this computer's scan
    std::optional<StoreList> storeList_;
    DeletionHold hold_;       // what the sender's table lets this receive remove
    DeletionHold ownHold_;    // folders this computer's scan could not read
    std::string storeLink_;   // the link on the way to the pair's store folder, if any
    bool diskFailed_ = false; // this computer's disk filled up or went away
    bool fold_ = true;
    std::vector<Row> rows_;
    // The rows by joining key: the keys are views of the sources' names (or of foldedKeys_).
    struct RowKeyOf {
        const std::vector<std::string_view>* keys;
        std::string_view operator()(std::size_t row) const { return (*keys)[row]; }
    };
    using RowIndex = NameIndex<RowKeyOf>;
    std::vector<std::string_view> rowKeys_; // by row
    std::optional<RowIndex> rowIndex_;
    std::size_t rowsIndexed_ = 0;           // the rows the index has room for
    std::deque<std::string> foldedKeys_;    // joining keys of their own, where letter case folds
    std::optional<std::unordered_map<std::string_view, std::ptrdiff_t>> localOf_; // see localItem
    DeleteAnswer answer_ = DeleteAnswer::YesToAll;
    RunPlan* plan_;            // a dry run: decide and say, change nothing
    PackedFileList* scanned_;  // this computer's fresh scan of the pair, when the half kept it
    ReceiveJournal journal_;   // what the receive changed in the folder, for its table
};

} // namespace

PairReceipt receivePair(SyncContext& ctx, const TProfilLine& task, Side own, int n, const AgreedState& previous,
                        PackedFileList* scanned) {
    return PairReceiver(ctx, task, own, n, previous, scanned).run();
}

} // namespace tarvela
