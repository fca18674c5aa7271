#include "sync/receive_half.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "copy/copier.h"
#include "copy/disk_tools.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/path_form.h"
#include "sync/rooted_path.h"
#include "sync/sender_table_trust.h"
#include "records/store_layout.h"
#include "records/table_check.h"
#include "records/cp1251.h"
#include "records/table_record.h"
#include "scan/table_writer.h"
#include "sync/half_lines.h"
#include "sync/rooted_path.h"

#include <array>
#include <optional>
#include <unordered_set>

namespace tarvela {
namespace {

// The folder that holds the path; either separator counts where the system takes both (Windows).
std::string parentOf(const std::string& path) {
    const char separators[] = {'/', platform::pathSeparator(), '\0'};
    return path.substr(0, path.find_last_of(separators));
}

// One run of a receiving half. `own` is this computer's side (the destination).
class ReceivingHalf {
public:
    ReceivingHalf(SyncContext& ctx, const TProfilLine& task, Side own)
        : ctx_(ctx), host_(ctx.host), task_(task), own_(own), home_(own == Side::Home),
          sender_(otherSide(own)), storeRoot_(storeRoot(ctx.PathTask, sender_)) {}

    HalfResult run() {
        echoTimedLine(host_, home_ ? msg::kStartWorkHomeOnHome : msg::kStartHomeWorkOnWork);
        for (int n = 1; n <= 10; ++n) scanPair(n);
        for (int n = 1; n <= 10; ++n) {
            if (const auto early = applyPair(n)) return *early;
        }
        // A stopped receive keeps the store: repeating it applies the rest. So does one that found a
        // sender's table it could not trust.
        const bool stopped = host_.stopRequested();
        if (!stopped && !keepStore_ && platform::folderExists(storeRoot_)) DelDir(storeRoot_, false, true, host_);
        echoTimedLine(host_, home_ ? msg::kEndWorkHomeOnHome : msg::kEndHomeWorkOnWork);
        host_.hideProgressPanelLater();
        return stopped ? HalfResult::Stopped : HalfResult::Completed;
    }

private:
    std::string ownTable(int n) const { return tableFile(ctx_.PathTask, own_, n); }
    std::string senderTable(int n) const { return tableFile(ctx_.PathTask, sender_, n); }

    void analyse(const std::string& folder, int n, std::string_view line) {
        host_.setBusy(true);
        host_.echo(std::string(line) + folder, color::kTeal);
        CreateListFiles(folder, ownTable(n), ctx_.ListExcept, host_);
        host_.setBusy(false);
    }

    void scanPair(int n) {
        const std::string own = ownFolder(task_, own_, n);
        rememberKnownEntries(n, own);
        if (own.empty()) {
            removeTableFile(ownTable(n));
        } else if (platform::folderExists(own)) {
            analyse(own, n, home_ ? msg::kAnalysis : msg::kFolderAnalysis);
        } else if (makeFolders(own)) {
            // A folder new to this computer: made, and scanned empty, so that everything arrives.
            CreateListFiles(own, ownTable(n), ctx_.ListExcept, host_);
        } else {
            // Something else stands where the folder should be (a file): the pair is left alone.
            unusable_[static_cast<std::size_t>(n)] = true;
        }
    }

    // What this computer's folder held at its previous half, from the table that half left. An
    // entry missing from the sender's table is removed only when it is in here: one made on this
    // computer since then is new, not vanished on the other side, and is kept.
    void rememberKnownEntries(int n, const std::string& own) {
        auto& known = known_[static_cast<std::size_t>(n)];
        known.clear();
        if (own.empty() || !platform::fileExists(ownTable(n))) return;
        TFileList previous;
        CreateListOfFiles(previous, ownTable(n), own);
        for (std::size_t i = 0; i < previous.count(); ++i) known.insert(previous.key(i));
    }

    // Whether this receive may remove the entry `name` of pair n on this computer: never when the
    // sender's table of the pair is damaged, nor below a folder that the sender's scan could not
    // read (sender_table_trust.h).
    bool deletionsAllowed(int n, std::string_view name) const {
        return holds_[static_cast<std::size_t>(n)].allowsRemoval(name);
    }

    std::optional<HalfResult> applyPair(int n) {
        if (unusable_[static_cast<std::size_t>(n)]) return std::nullopt;
        const SenderTableKind senderKind = senderTableKind(senderTable(n));
        if (senderKind == SenderTableKind::Missing || !platform::fileExists(ownTable(n))) return std::nullopt;
        if (senderKind == SenderTableKind::NotAFile) {
            host_.echo(std::string(msg::kTableNotAFile) + senderTable(n), color::kRed);
            keepStore_ = true;
            return std::nullopt;
        }
        const std::string own = ownFolder(task_, own_, n);
        TFileList S;
        TableLoad senderLoad;
        const std::int64_t sum = compareTables(S, ctx_.PathTask, task_, n, sender_, {}, host_, &senderLoad);
        DeletionHold& hold = holds_[static_cast<std::size_t>(n)];
        hold = judgeSenderTable(senderTable(n), senderLoad, own, host_);
        if (hold.damaged) keepStore_ = true;

        if (!enoughSpaceFor(host_, own, spaceTakenByCopies(S, AllocationUnit(own)))) {
            host_.showError(msg::kNotEnoughSpace);
            host_.showProgressPanel(false);
            return HalfResult::NotEnoughSpace;
        }
        const std::string storeFolderN = storeFolder(ctx_.PathTask, sender_, n);
        // A store folder that is a link could hand over any file of this computer: not used.
        storeLink_ = platform::linkBelow(ctx_.PathTask, storeFolderN);
        if (!storeLink_.empty()) host_.echo(std::string(msg::kLinkOnMedium) + storeLink_, color::kRed);
        if (sum > 0) {
            host_.showProgressPanel(true);
            host_.echo(home_ ? std::string(msg::kCopyingFilesTo) + own : std::string(msg::kCopyingFilesFrom) + storeFolderN,
                       color::kGreen);
        }
        host_.setFolderProgress(0, static_cast<std::int64_t>(S.count()));

        // Folders that hold something new on this computer are kept with it.
        const auto& known = known_[static_cast<std::size_t>(n)];
        std::unordered_set<std::string> keptFolders;
        for (std::size_t i = 0; i < S.count(); ++i) {
            if (S.object(i)->Action != TAction::Del || known.contains(S.key(i))) continue;
            const std::string& name = S.key(i);
            for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
                const std::string folder = name.substr(0, slash) + "/..";
                if (folder != name) keptFolders.insert(folder);
            }
        }

        // A Windows sender never held a name Windows cannot hold: its absence there is no deletion.
        const bool senderOnWindows = isWindowsFolderText(ownFolder(task_, sender_, n));
        const auto senderCouldHold = [&](std::string_view name) {
            return !senderOnWindows ||
                   windowsCanHoldName(name.ends_with("/..") ? name.substr(0, name.size() - 3) : name);
        };

        RootedPath rooted(own);
        DeleteAnswer answer = task_.DellConfirmat ? DeleteAnswer::Yes : DeleteAnswer::YesToAll;
        for (std::size_t i = 0; i < S.count(); ++i) {
            if (host_.stopRequested()) break;
            host_.setFolderProgress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(S.count()));
            host_.setTaskProgress(static_cast<std::int64_t>(i + 1));
            const std::string& name = S.key(i);
            const TAtrib& entry = *S.object(i);
            if (entry.Action == TAction::Copy) {
                // This computer's disk filled up or went away: the store stays for another try.
                const DiskTrouble t = copyIn(storeFolderN + entry.FNameTmp.text(), own, name, entry, rooted);
                if (t == DiskTrouble::DestinationFull || t == DiskTrouble::DestinationGone) {
                    return HalfResult::DiskFailed;
                }
            } else if (entry.Action == TAction::Del && known.contains(name) && !keptFolders.contains(name) &&
                       deletionsAllowed(n, name) && senderCouldHold(name)) {
                answer = removeVanished(own, name, entry, rooted, answer);
            } else if (entry.Action == TAction::None && entry.Nature == kNatureFolder) {
                makeNewFolder(own, name, rooted);
            }
        }
        // The copies must be on the disk before the store that holds their only other copy goes; a
        // device that lost them fails the half and the store stays for another try.
        if (sum > 0 && !flushToDevice(host_, own)) {
            host_.showProgressPanel(false);
            return HalfResult::FlushFailed;
        }
        if (sum > 0) host_.echo(msg::kCopyingFilesCompleted, color::kGreen);
        host_.setFileLabel("");
        host_.setFileProgress(ctx_.FileCopier.ProgressMaximum(), ctx_.FileCopier.ProgressMaximum());
        analyse(own, n, msg::kAnalysis);
        return std::nullopt;
    }

    // Whether this computer's table can hold the entry `name` below `own` once it is in place: its
    // path, and the folder entry of the folder that holds it (one character longer for a name of
    // one character). An entry that the table cannot hold would drop out of it and look deleted to
    // the other computer.
    static bool fitsInOwnTable(const std::string& own, const std::string& name) {
        const auto slash = name.rfind('/');
        const std::string folderEntry = own + (slash == std::string::npos ? "" : name.substr(0, slash + 1)) + "..";
        return utf8CharCount(own + name) <= kMaxPathChars && utf8CharCount(folderEntry) <= kMaxPathChars;
    }

    // Puts one stored file in place; the disk trouble of its copy, if any.
    DiskTrouble copyIn(const std::string& storeFile, const std::string& own, const std::string& name,
                       const TAtrib& entry, RootedPath& rooted) {
        const std::string dest = own + name;
        host_.setFileLabel(dest);
        if (!rooted.parentsStayInside(name)) {
            host_.echo(std::string(rooted.refusal()) + dest, color::kRed);
            return DiskTrouble::None;
        }
        if (!fitsInOwnTable(own, name)) {
            host_.echo(std::string(msg::kPathTooLong) + dest, color::kRed);
            return DiskTrouble::None;
        }
        if (!storeLink_.empty()) return DiskTrouble::None; // said once for the pair
        if (!platform::fileExists(storeFile)) {
            if (!platform::folderExists(ctx_.PathTask)) mediumGone();
            host_.echo(std::string(msg::kFileMissing) + storeFile, color::kRed);
            return DiskTrouble::None;
        }
        // A copy cut short (the drive was pulled, or failed) must not replace the file; it stays due
        // and travels again with the next send.
        // (A stored file that is not a regular file is refused by the copy itself, naming the file.)
        if (platform::pathKindNoFollow(storeFile) == platform::PathKind::File &&
            platform::querySize(storeFile).size != entry.SizeFile) {
            host_.echo(std::string(msg::kStoredCopyWrongSize) + dest, color::kRed);
            return DiskTrouble::None;
        }
        if (!makeFolders(parentOf(dest))) return DiskTrouble::None;
        // The sender's recorded time, not the stored copy's: a medium that rounds times (FAT keeps
        // two seconds) must not make the file travel again. A link on the medium is not followed.
        if (CopyFileExProgress(ctx_.FileCopier, storeFile, dest, dateTimeToFileTime(entry.FileDataTime),
                               CopySource::Medium)) {
            return DiskTrouble::None;
        }
        const DiskTrouble trouble = ctx_.FileCopier.LastDiskTrouble();
        if (trouble == DiskTrouble::SourceGone) throw FileError(msg::kFolderUnreachable, ctx_.PathTask, 0);
        return trouble;
    }

    // The medium went away under the half: one red line, and the half ends as a failed table would.
    [[noreturn]] void mediumGone() {
        host_.echo(std::string(msg::kFolderUnreachable) + ctx_.PathTask, color::kRed);
        throw FileError(msg::kFolderUnreachable, ctx_.PathTask, 0);
    }

    // A folder that only the sender has arrives even when it is empty; otherwise the next run the
    // other way would find it missing here and remove it on the sender.
    void makeNewFolder(const std::string& own, const std::string& name, RootedPath& rooted) {
        const std::string folder = own + name.substr(0, name.size() - 3); // without "/.."
        if (!rooted.parentsStayInside(name)) {
            host_.echo(std::string(rooted.refusal()) + folder, color::kRed);
            return;
        }
        if (!fitsInOwnTable(own, name)) {
            host_.echo(std::string(msg::kPathTooLong) + folder, color::kRed);
            return;
        }
        makeFolders(folder);
    }

    // A folder of the pair that cannot be made (a file stands in its place) fails only the entries
    // that need it.
    bool makeFolders(const std::string& folder) {
        try {
            platform::createFolders(folder);
            return true;
        } catch (const FileError& e) {
            host_.echo(e.what(), color::kRed);
            return false;
        }
    }

    DeleteAnswer removeVanished(const std::string& own, const std::string& name, const TAtrib& entry,
                                RootedPath& rooted, DeleteAnswer answer) {
        const std::string dest = own + name;
        if (home_) host_.setFileLabel(dest);
        if (answer == DeleteAnswer::Yes || answer == DeleteAnswer::No) {
            answer = host_.askDelete(dest);
            // Closing the question without an answer keeps everything, as "Нет для всех" does.
            if (answer == DeleteAnswer::Closed) answer = DeleteAnswer::NoToAll;
        }
        if (answer == DeleteAnswer::No || answer == DeleteAnswer::NoToAll) return answer;
        if (!rooted.parentsStayInside(name)) {
            host_.echo(std::string(rooted.refusal()) + dest, color::kRed);
            return answer;
        }
        if (entry.Nature == kNatureFile) {
            if (platform::fileExists(dest)) DelFiles(dest, task_.DellBasket, host_);
        } else {
            const std::string folder = dest.substr(0, dest.size() - 3); // without "/.."
            if (platform::pathKindNoFollow(folder) == platform::PathKind::Folder) {
                DelDir(folder, task_.DellBasket, true, host_);
            }
        }
        return answer;
    }

    SyncContext& ctx_;
    RunHost& host_;
    const TProfilLine& task_;
    Side own_;
    bool home_;
    Side sender_;
    std::string storeRoot_;
    std::array<std::unordered_set<std::string>, 11> known_; // by pair number
    std::array<bool, 11> unusable_{};                        // pairs whose folder cannot be made
    std::array<DeletionHold, 11> holds_;                     // by pair number: removals the sender's table allows
    bool keepStore_ = false;                                 // a sender's table could not be trusted
    std::string storeLink_; // the link on the way to the current pair's store folder, if any
};

} // namespace

HalfResult RunWorkHome_Home(SyncContext& ctx, const TProfilLine& task) {
    return ReceivingHalf(ctx, task, Side::Home).run();
}

HalfResult RunHomeWork_Work(SyncContext& ctx, const TProfilLine& task) {
    return ReceivingHalf(ctx, task, Side::Work).run();
}

} // namespace tarvela
