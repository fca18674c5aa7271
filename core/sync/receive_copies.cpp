#include "sync/receive_copies.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "copy/copier.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/table_record.h"
#include "records/utf8.h"
#include "scan/table_writer.h"
#include "sync/look_again.h"
#include "sync/receive_checkpoint.h"
#include "sync/receive_folder_steps.h"
#include "sync/receive_removals.h"

#include <functional>
#include <vector>

namespace tarvela {
namespace {

// The folder that holds a relative name ("" for a name in the pair folder itself).
std::string folderOf(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

// Whether this computer's table can hold the entry `name` once it is in place: its path, and the
// folder entry of the folder that holds it (one character longer for a name of one character).
// An entry that the table cannot hold would drop out of it and look deleted to the other computer.
bool fitsInOwnTable(const PairReceive& p, const std::string& name) {
    const std::string plain = withoutFolderMark(name);
    const auto slash = plain.rfind('/');
    const std::string folderEntry =
        p.ownFolder + (slash == std::string::npos ? "" : plain.substr(0, slash + 1)) + "..";
    return utf8CharCount(p.ownFolder + name) <= kMaxPathChars && utf8CharCount(folderEntry) <= kMaxPathChars;
}

class RowCopy {
public:
    RowCopy(PairReceive& p, ReceiveRow& r, std::string dest) : p_(p), r_(r), dest_(std::move(dest)) {}

    // `setAside`: a conflict; this computer's version at the name moves to a conflict name once the
    // incoming copy is complete and verified, just before the copy takes the name.
    bool run(bool setAside) {
        const std::string name(p_.localName(r_));
        const TAtrib& s = *p_.sItem(r_);
        const bool folder = s.Nature == kNatureFolder;
        p_.host.setFileLabel(dest_);
        if (!fitsInOwnTable(p_, name)) {
            p_.host.echo(std::string(msg::kPathTooLong) + dest_, color::kRed);
            return false;
        }
        if (!folder && !p_.storeLink.empty())
            return false; // said once for the pair
        const std::string stored = folder ? std::string() : p_.storedCopy(r_);
        if (!folder && stored.empty()) {
            if (!platform::folderExists(p_.ctx.PathTask))
                mediumGone(p_);
            // Not carried by this store (the send left it for later): quietly due, counted once.
            if (!p_.storeCarries(r_)) {
                ++p_.notCarried;
                return false;
            }
            p_.host.echo(std::string(msg::kStoredCopyMissing) + dest_, color::kRed);
            return false;
        }
        // A copy cut short (the drive was pulled, or failed) must not replace the file; it stays due
        // and travels again with the next send. (A link there is left to the copier, which refuses
        // it by its own line.)
        if (!folder && platform::pathKindNoFollow(stored) == platform::PathKind::File &&
            platform::querySize(stored).size != s.SizeFile) {
            p_.host.echo(std::string(msg::kStoredCopyWrongSize) + dest_, color::kRed);
            return false;
        }
        const std::string path = withoutFolderMark(name);
        if (!clearFoldersOnTheWay(path, folder))
            return false;
        // (A dry run leaves in place what it only says it would clear.)
        if (!plannedOutOfTheWay(path) && !p_.rooted.parentsStayInside(name)) {
            p_.host.echo(std::string(p_.rooted.refusal()) + dest_, color::kRed);
            return false;
        }
        p_.journal.wayTo(name);
        if (folder) {
            // A folder new on the sender arrives even when it is empty.
            if (!makeFoldersBelowPair(p_, path))
                return false;
            p_.record(r_, s.FileDataTime);
            return true;
        }
        if (!makeFoldersBelowPair(p_, folderOf(path)))
            return false;
        if (platform::pathKindNoFollow(dest_) == platform::PathKind::Folder && !p_.plannedGone.contains(path) &&
            !clearFolderInTheWay(path))
            return false;
        if (p_.plan != nullptr) {
            if (setAside && !moveAside(p_, dest_))
                return false;
            ++p_.plan->copyFiles;
            p_.plan->copyBytes += s.SizeFile;
            return true;
        }
        return copyFile(stored, s, name, setAside);
    }

private:
    // Files standing where a folder of this entry goes (the other computer made a folder of one)
    // are cleared top down, each only after the folders above it proved real.
    bool clearFoldersOnTheWay(const std::string& path, bool folder) {
        std::vector<std::string> ways; // the folders this entry needs, from the top
        for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            ways.push_back(path.substr(0, slash));
        if (folder)
            ways.push_back(path);
        for (const std::string& above : ways) {
            if (!p_.rooted.parentsStayInside(above)) {
                p_.host.echo(std::string(p_.rooted.refusal()) + dest_, color::kRed);
                return false;
            }
            if (platform::pathKindNoFollow(p_.ownPath(above)) == platform::PathKind::File &&
                !p_.plannedGone.contains(above) && !clearTheWay(p_.ownPath(above), above))
                return false;
        }
        return true;
    }

    // A file where a new folder goes: removed when it is as the computers agreed, the other
    // computer no longer has it (its own row says so) and the user lets it go (the removal
    // question, the trash), else set aside as a conflict copy.
    bool clearTheWay(const std::string& path, const std::string& folderName) {
        ReceiveRow* row = p_.rows.rowOf(folderName);
        if (row != nullptr && p_.task.OperacDell && !row->setAside && !row->done &&
            row->decision.step == ReceiveStep::Delete && asScanned(path, p_.lItem(*row))) {
            if (removalAllowed(p_, path)) {
                if (!removeFileHere(p_, path))
                    return false;
                p_.journal.removedFile(p_.relative(path));
                row->done = true;
                return true;
            }
            row->done = true; // declined: kept, under a conflict name, so the folder can arrive
        }
        return moveAside(p_, path);
    }

    // Whether a dry run said it would clear a file from the way of the folders of `path`.
    bool plannedOutOfTheWay(const std::string& path) const {
        if (p_.plan == nullptr)
            return false;
        for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
            if (p_.plannedGone.contains(path.substr(0, slash)))
                return true;
        }
        return p_.plannedGone.contains(path);
    }

    // A folder where a file goes (the other computer made a file of it): decided from the rows of
    // its contents, as the other computer's removals say. What the other computer removed and is
    // unchanged here goes (asked about, to the trash as the profile says); whatever is left (changed
    // here, declined, never agreed on) is set aside whole under a conflict name.
    bool clearFolderInTheWay(const std::string& path) {
        if (p_.task.OperacDell) {
            const std::string below = path + "/";
            std::vector<std::size_t> files;
            std::vector<std::size_t> folders;
            for (std::size_t i = 0; i < p_.rows.size(); ++i) {
                const ReceiveRow& row = p_.rows[i];
                const std::string_view name = p_.localName(row);
                if (row.done || row.setAside || row.decision.step != ReceiveStep::Delete || !name.starts_with(below))
                    continue;
                (isFolderName(name) ? folders : files).push_back(i);
            }
            removeInOrder(p_, files, std::move(folders));
            if (p_.diskFailed)
                return false;
            if (p_.plan != nullptr ? p_.plannedGone.contains(path)
                                   : platform::pathKindNoFollow(dest_) == platform::PathKind::Missing)
                return true;
        }
        return moveAside(p_, dest_);
    }

    bool copyFile(const std::string& stored, const TAtrib& s, const std::string& name, bool setAside) {
        // What the scan saw at the name: the file this copy may replace unchanged.
        const TAtrib* scanned = r_.l >= 0 && p_.lItem(r_)->Nature == kNatureFile ? p_.lItem(r_) : nullptr;
        const std::function<bool()> beforeReplace = [this, scanned, setAside] {
            if (!pairFolderStillThere(p_))
                return false;
            if (platform::pathKindNoFollow(dest_) == platform::PathKind::Missing) {
                if (scanned != nullptr)
                    p_.journal.unsure(); // removed during the run
                return true;
            }
            const bool changed = !asScanned(dest_, scanned);
            if (changed)
                p_.journal.unsure(); // the table cannot tell what the user saved
            return setAside || changed ? moveAside(p_, dest_) : true;
        };
        // The sender's recorded time, not the stored copy's: a medium that rounds times (FAT keeps
        // two seconds) must not make the file travel again. A link on the medium is not followed.
        // A copy whose content differs from its checksum (a damaged block on the drive) does not
        // replace the file; it stays due like a short one.
        const std::optional<std::uint64_t> checksum = p_.storedChecksum(r_);
        if (!CopyFileExProgress(p_.ctx.FileCopier, stored, dest_, dateTimeToFileTime(s.FileDataTime),
                                CopySource::Medium, ChecksumUse{false, checksum}, beforeReplace)) {
            const DiskTrouble trouble = p_.ctx.FileCopier.LastDiskTrouble();
            if (trouble == DiskTrouble::SourceGone)
                throw FileError(msg::kFolderUnreachable, p_.ctx.PathTask, 0);
            if (trouble == DiskTrouble::DestinationFull || trouble == DiskTrouble::DestinationGone)
                p_.diskFailed = true;
            return false;
        }
        // This side's time as its own file system keeps it: for the agreed state and for the table.
        const auto kept = platform::lastWriteTime(dest_);
        if (kept) {
            p_.journal.copied(name, s.SizeFile, fileTimeToDateTime(*kept));
        } else {
            p_.journal.unsure();
        }
        p_.record(r_, kept ? fileTimeToDateTime(*kept) : s.FileDataTime, checksum);
        return true;
    }

    PairReceive& p_;
    ReceiveRow& r_;
    std::string dest_;
};

} // namespace

void applyCopies(PairReceive& p) {
    p.host.setFolderProgress(0, static_cast<std::int64_t>(p.rows.size()));
    for (std::size_t i = 0; i < p.rows.size(); ++i) {
        // This computer's disk filled up or went away: the store stays for another try.
        if (p.diskFailed)
            return;
        if (p.host.stopRequested()) {
            p.copiesStopped = true;
            return;
        }
        ReceiveRow& r = p.rows[i];
        // Done already: renamed here by a move.
        if (r.setAside || r.done || r.decision.step == ReceiveStep::Delete)
            continue;
        p.showProgress(i);
        const std::string dest = p.ownPath(p.localName(r));
        switch (r.decision.step) {
        case ReceiveStep::Copy:
        case ReceiveStep::CopyNotice:
            r.done = RowCopy(p, r, dest).run(false);
            if (r.done && r.decision.step == ReceiveStep::CopyNotice)
                p.host.echo(std::string(msg::kRestoredChangedThere) + dest, color::kOrange);
            break;
        case ReceiveStep::ConflictCopy:
            r.done = RowCopy(p, r, dest).run(true);
            break;
        case ReceiveStep::KeepNotice:
            p.host.echo(std::string(msg::kKeptChangedHere) + dest, color::kOrange);
            r.done = true;
            break;
        case ReceiveStep::Nothing:
            // Found the same as the stored copy by content: the store's checksum is this file's.
            if (r.decision.after == AgreedAfter::Record)
                p.record(r, p.lItem(r)->FileDataTime, r.sameContent ? p.storedChecksum(r) : std::nullopt);
            r.done = true;
            break;
        default:
            r.done = true;
            break;
        }
        checkpointIfDue(p);
    }
}

} // namespace tarvela
