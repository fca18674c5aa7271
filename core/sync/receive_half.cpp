#include "sync/receive_half.h"

#include "copy/copier.h"
#include "records/date_time.h"
#include "copy/disk_tools.h"
#include "base/echo_color.h"
#include "base/errors.h"
#include "sync/half_lines.h"
#include "base/messages.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "sync/rooted_path.h"
#include "records/store_layout.h"
#include "records/table_record.h"
#include "scan/table_writer.h"
#include "sync/agreed_generations.h"
#include "sync/pair_guard.h"
#include "sync/sender_table_trust.h"
#include "records/table_check.h"
#include "sync/receive_pair.h"
#include "sync/run_plan.h"

#include <array>
#include <memory>
#include <optional>
#include <utility>

namespace tarvela {
namespace {


// One run of a receiving half. `own` is this computer's side (the destination).
class ReceivingHalf {
public:
    ReceivingHalf(SyncContext& ctx, const TProfilLine& task, Side own)
        : ctx_(ctx), host_(ctx.host), task_(task), own_(own), home_(own == Side::Home),
          sender_(otherSide(own)), storeRoot_(storeRoot(ctx.PathTask, sender_)), plan_(ctx.plan) {}

    HalfResult run() {
        echoTimedLine(host_, home_ ? msg::kStartWorkHomeOnHome : msg::kStartHomeWorkOnWork);
        for (int n = 1; n <= 10; ++n) scanPair(n);
        for (int n = 1; n <= 10; ++n) {
            if (const auto early = applyPair(n)) return *early;
        }
        // A stopped receive keeps the store: repeating it applies the rest. So does one that found a
        // sender's table it could not trust, or left a pair alone for its folder (the pair is
        // applied once the folder is back).
        const bool stopped = host_.stopRequested();
        if (!stopped && !keepStore_ && plan_ == nullptr && platform::folderExists(storeRoot_))
            DelDir(storeRoot_, false, true, host_);
        echoTimedLine(host_, home_ ? msg::kEndWorkHomeOnHome : msg::kEndHomeWorkOnWork);
        host_.hideProgressPanelLater();
        return stopped ? HalfResult::Stopped : HalfResult::Completed;
    }

private:
    // The table of this computer's fresh scan (in a dry run not the medium's, which stays as it was).
    std::string ownTable(int n) const { return scanTableFile(ctx_, own_, n); }
    std::string mediumOwnTable(int n) const { return tableFile(ctx_.PathTask, own_, n); }
    std::string senderTable(int n) const { return tableFile(ctx_.PathTask, sender_, n); }

    // Scans the folder into the pair's table. With `keepEntries` (the scan before the receive) its
    // entries are kept for the receive of the last pair scanned, which then need not read its table
    // back: one list at a time, so a profile of several large folders holds no more than one of them.
    void analyse(const std::string& folder, int n, std::string_view line, bool keepEntries = false) {
        host_.setBusy(true);
        host_.echo(std::string(line) + folder, color::kTeal);
        if (keepEntries) {
            scanned_.reset();
            auto entries = std::make_unique<PackedFileList>();
            CreateListFiles(folder, ownTable(n), ctx_.ListExcept, host_, *entries, plan_ == nullptr);
            scanned_ = std::move(entries);
            scannedPair_ = n;
        } else {
            CreateListFiles(folder, ownTable(n), ctx_.ListExcept, host_, plan_ == nullptr);
        }
        host_.setBusy(false);
    }

    // The table of what the receive left in the folder: made from the receive's own scan and
    // changes where it could be, else from a fresh scan.
    void writeOwnTableAfter(const std::string& folder, int n, const PairReceipt& receipt) {
        if (!receipt.ownTable) {
            analyse(folder, n, msg::kAnalysis);
            return;
        }
        host_.setBusy(true);
        host_.echo(std::string(msg::kAnalysis) + folder, color::kTeal);
        writeDerivedTable(folder, ownTable(n), ctx_.ListExcept, *receipt.ownTable, host_,
                          receipt.scanned ? &*receipt.scanned : nullptr);
        host_.setBusy(false);
    }

    void scanPair(int n) {
        const std::string own = ownFolder(task_, own_, n);
        const std::size_t i = static_cast<std::size_t>(n);
        if (own.empty()) {
            if (plan_ == nullptr)
                removeTableFile(ownTable(n));
            return;
        }
        sayWhenPairStartsAfresh(ctx_, task_, n);
        agreed_[i] = readPairAgreedState(ctx_, task_, n, own_, &agreedEnd_[i]);
        const bool listed = pairListsFiles(agreed_[i], mediumOwnTable(n), own);
        if (platform::folderExists(own)) {
            // An unmounted disk's mount point or a folder emptied by mistake is not "the user
            // removed everything": the pair is left alone, its table and agreed state untouched.
            if (listed && folderReadsEmpty(own) && !emptiedOnPurpose(host_, own)) {
                unusable_[i] = keepStore_ = true;
                return;
            }
            analyse(own, n, home_ ? msg::kAnalysis : msg::kFolderAnalysis, true);
        } else if (listed) {
            // Not made silently on the system disk in place of a disk that is not there.
            host_.echo(std::string(msg::kFolderMissingListed) + own, color::kRed);
            unusable_[i] = keepStore_ = true;
        } else if (!platform::folderExists(parentFolder(own))) {
            // Nothing is made above the pair folder: a missing folder above it is a disk that is
            // not mounted (or a folder text that went wrong), not a place to fill.
            host_.echo(std::string(msg::kPairFolderParentMissing) + own, color::kRed);
            unusable_[i] = keepStore_ = true;
        } else if (plan_ != nullptr && platform::pathKindNoFollow(own.substr(0, own.size() - 1)) ==
                                              platform::PathKind::Missing) {
            // A dry run makes no folder: the pair is received into a folder that is still empty.
            plannedNewFolder_[i] = true;
        } else if (makePairFolder(own)) {
            // A folder new to this computer: made, and scanned empty, so that everything arrives.
            CreateListFiles(own, ownTable(n), ctx_.ListExcept, host_);
        } else {
            // Something else stands where the folder should be (a file): the pair is left alone.
            unusable_[i] = true;
        }
    }

    std::optional<HalfResult> applyPair(int n) {
        const std::size_t i = static_cast<std::size_t>(n);
        if (unusable_[i]) return std::nullopt;
        const SenderTableKind senderKind = senderTableKind(senderTable(n));
        if (senderKind == SenderTableKind::Missing || (!platform::fileExists(ownTable(n)) && !plannedNewFolder_[i]))
            return std::nullopt;
        if (senderKind == SenderTableKind::NotAFile) {
            host_.echo(std::string(msg::kTableNotAFile) + senderTable(n), color::kRed);
            keepStore_ = true;
            return std::nullopt;
        }
        const std::string own = ownFolder(task_, own_, n);
        const std::unique_ptr<PackedFileList> scanned = scannedPair_ == n ? std::move(scanned_) : nullptr;
        PairReceipt receipt = receivePair(ctx_, task_, own_, n, agreed_[i], agreedEnd_[i], scanned.get());
        if (receipt.senderTableDamaged) keepStore_ = true;
        if (receipt.diskFailed) return HalfResult::DiskFailed;
        if (receipt.notEnoughSpace) {
            host_.showError(msg::kNotEnoughSpace);
            host_.showProgressPanel(false);
            return HalfResult::NotEnoughSpace;
        }
        // The copies must be on the disk before the agreed state says so, and before the store
        // that holds their only other copy goes; a device that lost them fails the half, the
        // agreed state stays as it was and the store stays for another try.
        if (plan_ != nullptr)
            return std::nullopt; // nothing was copied, nothing is recorded
        if (receipt.copySum > 0 && !flushToDevice(host_, own)) {
            host_.showProgressPanel(false);
            return HalfResult::FlushFailed;
        }
        if (receipt.copySum > 0) {
            // A stop during the removals left every copy made: the copying itself was complete.
            if (receipt.copiesStopped)
                host_.echo(msg::kCopyingFilesStopped, color::kOrange);
            else
                host_.echo(msg::kCopyingFilesCompleted, color::kGreen);
        }
        host_.setFileLabel("");
        host_.setFileProgress(ctx_.FileCopier.ProgressMaximum(), ctx_.FileCopier.ProgressMaximum());
        writeOwnTableAfter(own, n, receipt);
        receipt.ownTable.reset();
        receipt.scanned.reset();
        writeAgreedAfter(n, receipt);
        return std::nullopt;
    }

    // The agreed state after the receive: what it changed, appended to the pair's file as an
    // update where that file can take one; otherwise the state read before the receive, with the
    // changes made in it, written whole.
    void writeAgreedAfter(int n, PairReceipt& receipt) {
        AgreedState& state = agreed_[static_cast<std::size_t>(n)];
        if (!appendPairAgreedChanges(ctx_, task_, n, state, receipt.agreedWritten, receipt.agreed)) {
            applyAgreedChanges(state, receipt.agreed);
            writePairAgreedState(ctx_, task_, n, std::move(state));
        }
        state = AgreedState{};
    }

    // The folder that holds the pair folder `own` (which ends with its separator).
    static std::string parentFolder(const std::string& own) {
        const std::string plain = own.substr(0, own.size() - 1);
        const char separators[] = {'/', platform::pathSeparator(), '\0'};
        const auto cut = plain.find_last_of(separators);
        return cut == std::string::npos ? plain : plain.substr(0, cut + 1);
    }

    // Makes the pair folder itself, never a folder above it; a red line when it cannot.
    bool makePairFolder(const std::string& own) {
        const std::string plain = own.substr(0, own.size() - 1);
        if (const int error = platform::createFolder(plain); error != 0) {
            host_.echo(FileError(msg::kCannotCreateFolder, plain, error).what(), color::kRed);
            return false;
        }
        return true;
    }

    SyncContext& ctx_;
    RunHost& host_;
    const TProfilLine& task_;
    Side own_;
    bool home_;
    Side sender_;
    std::string storeRoot_;
    std::array<AgreedState, 11> agreed_; // by pair number, as read before the scan
    std::array<std::optional<AgreedFileEnd>, 11> agreedEnd_; // where each pair's own file ended then
    std::array<bool, 11> unusable_{};    // pairs left alone: folder missing, unusable or reading empty
    std::array<bool, 11> plannedNewFolder_{}; // a dry run's pairs whose folder the real run would make
    RunPlan* plan_;                      // a dry run: decide and say, change nothing
    bool keepStore_ = false;             // a pair left alone, or a sender's table not to be trusted
    std::unique_ptr<PackedFileList> scanned_; // the scan of pair scannedPair_, as its table lists it
    int scannedPair_ = 0;
};

} // namespace

HalfResult RunWorkHome_Home(SyncContext& ctx, const TProfilLine& task) {
    return ReceivingHalf(ctx, task, Side::Home).run();
}

HalfResult RunHomeWork_Work(SyncContext& ctx, const TProfilLine& task) {
    return ReceivingHalf(ctx, task, Side::Work).run();
}

} // namespace tarvela
