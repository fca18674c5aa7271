#include "sync/send_half.h"

#include "copy/copier.h"
#include "copy/disk_tools.h"
#include "base/echo_color.h"
#include "sync/half_lines.h"
#include "sync/look_again.h"
#include "sync/move_detection.h"
#include "records/move_list.h"
#include "base/messages.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/store_layout.h"
#include "records/table_check.h"
#include "records/table_file.h"
#include "records/agreed_state.h"
#include "records/store_list.h"
#include "records/table_record.h"
#include "scan/table_writer.h"
#include "sync/agreed_generations.h"
#include "sync/agreed_lookup.h"
#include "sync/pair_guard.h"
#include "sync/receive_decision.h"
#include "sync/run_plan.h"
#include "sync/send_inputs.h"
#include "sync/send_trip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace tarvela {
namespace {

// One run of a sending half. `own` is this computer's side; the differences between the work and
// the home procedure are tested on it where they occur.
class SendingHalf {
public:
    SendingHalf(SyncContext& ctx, const TProfilLine& task, Side own)
        : ctx_(ctx), host_(ctx.host), task_(task), own_(own), work_(own == Side::Work),
          storeRoot_(storeRoot(ctx.PathTask, own)), plan_(ctx.plan) {}

    HalfResult run() {
        echoTimedLine(host_, work_ ? msg::kStartWorkHomeOnWork : msg::kStartHomeWorkOnHome);
        // The folders first: a send started in the wrong role or with a folder that is not there
        // ends here, before the batch the other computer carried is thrown away.
        for (int n = 1; n <= 10; ++n) {
            const std::string own = ownFolder(task_, own_, n);
            if (!own.empty() && !platform::folderExists(own)) {
                host_.showError(wrongPathMessage(own));
                return HalfResult::WrongPath;
            }
        }
        if (plan_ == nullptr) {
            if (platform::folderExists(storeRoot_) && !DelDir(storeRoot_, false, true, host_)) {
                return HalfResult::StoreRemovalFailed;
            }
            platform::createFolders(ctx_.PathTask);
        }
        if (!work_) host_.setBusy(true);
        // A stop during a full copy ends the scans and comparisons; what was stored is still
        // flushed and the half ends with its end line, as after a stop during the comparisons.
        bool stopped = false;
        for (int n = 1; n <= 10 && !stopped; ++n) {
            if (const auto early = scanPair(n)) {
                if (*early != HalfResult::Stopped) return *early;
                stopped = true;
            }
        }
        for (int n = 1; n <= 10 && !stopped; ++n) {
            if (const auto early = comparePair(n)) return *early;
        }
        host_.setBusy(false);
        // The medium may be unplugged as soon as the end line shows: the stored copies must be on it.
        // A batch the medium may have lost is not offered to the other computer.
        if (plan_ == nullptr && !flushToDevice(host_, ctx_.PathTask)) return dropUnflushedStore();
        if (!host_.stopRequested()) plan_ == nullptr ? trip_.endLine() : trip_.tripsLine();
        echoTimedLine(host_, work_ ? msg::kEndWorkHomeOnWork : msg::kEndHomeWorkOnHome);
        host_.hideProgressPanelLater();
        return host_.stopRequested() ? HalfResult::Stopped : HalfResult::Completed;
    }

private:
    // A batch the medium may have lost is not offered to the other computer.
    HalfResult dropUnflushedStore() {
        if (platform::folderExists(storeRoot_)) DelDir(storeRoot_, false, true, host_);
        return HalfResult::FlushFailed;
    }

    // The table of this computer's fresh scan (in a dry run not the medium's, which stays as it was).
    std::string ownTable(int n) const { return scanTableFile(ctx_, own_, n); }
    std::string mediumOwnTable(int n) const { return tableFile(ctx_.PathTask, own_, n); }
    std::string otherTable(int n) const { return tableFile(ctx_.PathTask, otherSide(own_), n); }

    std::int64_t analyse(const std::string& folder, int n) {
        host_.echo(std::string(msg::kAnalysis) + folder, color::kTeal);
        if (work_) host_.setBusy(true);
        // The list of the last pair scanned is kept for its comparison: one list at a time, so a
        // profile of several large folders holds no more than one of them.
        scanned_.reset();
        auto entries = std::make_unique<PackedFileList>();
        const std::int64_t total =
            CreateListFiles(folder, ownTable(n), ctx_.ListExcept, host_, *entries, plan_ == nullptr);
        scanned_ = std::move(entries);
        scannedPair_ = n;
        if (work_) host_.setBusy(false);
        return total;
    }

    // The scan pass of one pair: a fresh own table, or the first-run step when the other computer
    // has never written its table of the pair.
    std::optional<HalfResult> scanPair(int n) {
        const std::string own = ownFolder(task_, own_, n);
        if (!own.empty()) {
            const std::size_t i = static_cast<std::size_t>(n);
            settleAgreed();
            inputs_.reset(); // the earlier pair's inputs are taken or not needed: one pair's at a time
            // An unmounted disk's mount point or a folder emptied by mistake: the pair is left
            // alone, its table untouched, so the other computer removes nothing on its word.
            const bool readsEmpty = folderReadsEmpty(own);
            if (readsEmpty) {
                agreed_[i] = readPairAgreedLookup(ctx_, task_, n, own_);
                if (pairListsFiles(agreed_[i].get(), mediumOwnTable(n), own)) {
                    if (!emptiedOnPurpose(host_, own)) {
                        skipped_[i] = true;
                        return std::nullopt;
                    }
                    emptied_[i] = true;
                }
            }
            // A pair with no folder on the other computer has nowhere to receive a full copy.
            const bool firstRun = !platform::fileExists(otherTable(n)) && !otherFolder(task_, own_, n).empty();
            if (!readsEmpty) {
                // Read while the folder is scanned: the agreed state always, the other table
                // when there is one to compare with right after this scan (the comparisons of
                // earlier pairs come after every scan and read theirs then: one table at a time).
                const bool compares = !firstRun && !otherFolder(task_, own_, n).empty() && lastPairToScan(n);
                sayWhenPairStartsAfresh(ctx_, task_, n);
                inputs_ = std::make_unique<SendInputs>(pairAgreedStateFile(ctx_, task_, n),
                                                       ownFolder(task_, Side::Work, n), ownFolder(task_, Side::Home, n),
                                                       own_, compares ? pairTableFile(ctx_, task_, otherSide(own_), n) : std::string(),
                                                       otherFolder(task_, own_, n));
                inputsPair_ = n;
                agreedSettled_ = false;
            }
            if (work_) {
                if (firstRun) return firstRunStep(own, n);
                analyse(own, n);
            } else {
                const std::int64_t total = analyse(own, n);
                // A folder emptied on purpose is compared all the same: its emptiness is to travel.
                if (total == 0 && !emptied_[i]) {
                    host_.echo(std::string(msg::kFolderPrefix) + own + std::string(msg::kFolderEmptySuffix),
                               color::kBlack);
                    return std::nullopt;
                }
                if (firstRun) {
                    if (const auto early = firstRunStep(own, n)) return early;
                }
            }
        } else {
            dropTable(mediumOwnTable(n));
        }
        if (otherFolder(task_, own_, n).empty()) dropTable(otherTable(n));
        return std::nullopt;
    }

    // The full-copy question for a pair without the other computer's table. On the home computer
    // the folder is already scanned.
    std::optional<HalfResult> firstRunStep(const std::string& own, int n) {
        if (!answerForAll_) {
            answer_ = host_.askFullCopy(own);
            if (work_ && answer_.result == FullCopyResult::Refused) return HalfResult::Refused;
            answerForAll_ = answer_.all;
        }
        if (answer_.result != FullCopyResult::CopyAll) {
            if (work_) analyse(own, n);
            // Nothing of this folder travels this time: said, so that the user does not carry the
            // medium expecting it to.
            host_.echo(std::string(msg::kFullCopyDeclined) + own, color::kBlack);
            return std::nullopt;
        }
        const std::string storeFolderN = storeFolder(ctx_.PathTask, own_, n);
        if (work_) {
            if (plan_ == nullptr) platform::createFolders(storeRoot_);
            analyse(own, n);
        }
        // The home computer checks the space on the medium too before it copies a whole folder;
        // what does not fit goes on later trips.
        TFileList list;
        CreateListOfFiles(list, ownTable(n), own);
        const std::optional<std::unordered_set<std::string>> thisTrip = fullCopyTrip(list, own);
        if (!thisTrip) return notEnoughSpace();
        if (plan_ != nullptr) {
            planFullCopy(list, own, *thisTrip);
            return std::nullopt;
        }
        host_.showProgressPanel(true);
        platform::createFolders(storeFolderN);
        const ListCopyResult copied =
            CopyAllFilesofList(ctx_.FileCopier, host_, ownTable(n), storeFolderN, own, &*thisTrip,
                               [this](std::int64_t size) { trip_.stored(size); });
        host_.hideProgressPanelLater();
        if (copied.trouble != DiskTrouble::None) return HalfResult::DiskFailed;
        writeStoreList(storeListFile(storeRoot_, n), listOfWholeTable(list, copied));
        if (host_.stopRequested()) return HalfResult::Stopped;
        return std::nullopt;
    }

    HalfResult notEnoughSpace() {
        host_.showError(msg::kNotEnoughSpace);
        host_.showProgressPanel(false);
        host_.setBusy(false);
        return HalfResult::NotEnoughSpace;
    }

    // The compare pass of one pair: every new or newer own file goes into the store folder.
    std::optional<HalfResult> comparePair(int n) {
        // Taken here so that a pair that compares nothing lets its lists go too.
        settleAgreed();
        const std::unique_ptr<PackedFileList> fresh = scannedPair_ == n ? std::move(scanned_) : nullptr;
        const std::unique_ptr<SendInputs> inputs = inputsPair_ == n ? std::move(inputs_) : nullptr;
        if (skipped_[static_cast<std::size_t>(n)]) return std::nullopt;
        if (!platform::fileExists(ownTable(n)) || !platform::fileExists(otherTable(n))) return std::nullopt;
        if (!work_ && !emptied_[static_cast<std::size_t>(n)] && TableReader(ownTable(n)).recordCount() < 2)
            return std::nullopt;
        const std::string own = ownFolder(task_, own_, n);
        PackedFileList S;
        if (fresh != nullptr) S = std::move(*fresh);
        std::optional<PackedFileList> other;
        if (inputs != nullptr) other = inputs->takeOtherTable(host_);
        std::vector<AgreedRecord> agreedNow;
        // The comparison's lines wait until the moves are known: a moved name says only its move.
        ComparedLines lines;
        std::int64_t sum = compareTables(S, ctx_, task_, n, own_, plan_ == nullptr ? storeRoot_ : std::string(), host_,
                                         agreedSays(agreed_[static_cast<std::size_t>(n)], agreedNow), fresh != nullptr,
                                         other ? &*other : nullptr, &lines);
        if (plan_ == nullptr && !agreedNow.empty()) recordAgreement(n, std::move(agreedNow));
        // Files renamed or moved here travel as moves, not as bytes.
        const std::vector<Move> moves = findSendMoves(S, ctx_, task_, n, own_, agreed_[static_cast<std::size_t>(n)].get());
        const MovedNames moved(moves);
        lines.write(S, host_, [&moved](std::string_view name) { return moved.contains(name); });
        for (const Move& m : moves) {
            if (m.nature == kNatureFile)
                sum = std::max<std::int64_t>(0, sum - m.size);
        }
        // What goes on this trip: every file to store when all fit on the medium (a small file
        // fills a whole cluster there), otherwise what fits.
        std::optional<std::vector<bool>> carried;
        if (work_ && !(carried = trip_.chooseCopies(S, own))) return notEnoughSpace();
        if (sum > 0) {
            host_.showProgressPanel(true);
            if (plan_ == nullptr)
                host_.echo(std::string(msg::kCopyingFilesFrom) + own, work_ ? color::kBlack : color::kGreen);
        }
        host_.setFolderProgress(0, static_cast<std::int64_t>(S.count()));
        if (!work_) {
            if (!(carried = trip_.chooseCopies(S, own))) return notEnoughSpace();
            host_.setBusy(false);
        }

        const std::string storeFolderN = storeFolder(ctx_.PathTask, own_, n);
        bool storeFolderReady = false;
        StoreList stored;
        for (std::size_t i = 0; i < S.count(); ++i) {
            if (host_.stopRequested()) break;
            host_.setFolderProgress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(S.count()));
            if (work_) host_.setTaskProgress(static_cast<std::int64_t>(i + 1));
            const TAtrib& entry = *S.object(i);
            if (entry.Action != TAction::Copy || !(*carried)[i]) continue;
            const std::string source = std::string(own).append(S.key(i));
            host_.setFileLabel(source);
            if (plan_ != nullptr) {
                // Its line was written by the comparison; counted, not copied.
                if (platform::fileExists(source)) {
                    ++plan_->storeFiles;
                    plan_->storeBytes += entry.SizeFile;
                    trip_.stored(entry.SizeFile);
                } else {
                    host_.echo(std::string(msg::kFileMissing) + source, color::kRed);
                }
                continue;
            }
            if (!storeFolderReady) {
                platform::createFolders(storeFolderN);
                storeFolderReady = true;
            }
            if (platform::fileExists(source)) {
                // The checksum is taken as the data passes into the store; the receive checks it.
                const std::string storeCopy = storeFolderN + entry.FNameTmp.text();
                if (CopyFileExProgress(ctx_.FileCopier, source, storeCopy, std::nullopt, CopySource::UserFolder,
                                       ChecksumUse{true, std::nullopt})) {
                    // Written to while it was copied (a torn copy, or a later version under the
                    // table's old size and time): not carried; it differs at the next send.
                    if (!asScanned(source, &entry)) {
                        platform::removeFile(storeCopy);
                        host_.echo(std::string(msg::kChangedWhileStored) + source, color::kOrange);
                        continue;
                    }
                    stored.add({std::string(S.key(i)), entry.SizeFile, entry.FileDataTime, entry.FNameTmp.text(),
                                ctx_.FileCopier.LastChecksum()});
                    trip_.stored(entry.SizeFile);
                } else if (ctx_.FileCopier.LastDiskTrouble() != DiskTrouble::None) {
                    // The medium filled up or was pulled: one line said so, and no further copy can work.
                    return HalfResult::DiskFailed;
                }
            } else {
                host_.echo(std::string(msg::kFileMissing) + source, color::kRed);
            }
        }
        // What the store holds, so that a receive finds it even after this table is rewritten. The
        // pair's copies reach the device first, together: the list never names a copy that is not
        // yet there.
        if (storeFolderReady) {
            if (!stored.files().empty() && !flushToDevice(host_, storeFolderN)) return dropUnflushedStore();
            writeStoreList(storeListFile(storeRoot_, n), stored);
        }
        if (plan_ == nullptr && !moves.empty()) {
            platform::createFolders(storeRoot_);
            writeMoveList(moveListFile(storeRoot_, n), moves);
        }
        host_.setFileLabel("");
        host_.setFileProgress(ctx_.FileCopier.ProgressMaximum(), ctx_.FileCopier.ProgressMaximum());
        if (work_ && sum > 0 && plan_ == nullptr) {
            if (host_.stopRequested())
                host_.echo(msg::kCopyingFilesStopped, color::kOrange);
            else
                host_.echo(msg::kCopyingFilesCompleted, color::kGreen);
        }
        return std::nullopt;
    }

    bool lastPairToScan(int n) const {
        for (int later = n + 1; later <= 10; ++later) {
            if (!ownFolder(task_, own_, later).empty()) return false;
        }
        return true;
    }

    // The agreed state read beside the scan of pair inputsPair_, its generation checked, kept for
    // that pair's comparison (the other table stays with the inputs until then).
    void settleAgreed() {
        if (inputs_ == nullptr || agreedSettled_) return;
        agreedSettled_ = true;
        SendInputs::Agreed agreed = inputs_->takeAgreed();
        if (agreed.lookup != nullptr && usableAgreedGeneration(ctx_, task_, inputsPair_, agreed.generation))
            agreed_[static_cast<std::size_t>(inputsPair_)] = std::move(agreed.lookup);
    }

    // Which files of a full copy (the fresh table's `list`) go on this trip, by store name; empty
    // when the free space cannot be read.
    std::optional<std::unordered_set<std::string>> fullCopyTrip(const TFileList& list, const std::string& own) {
        std::vector<TripFile> files;
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < list.count(); ++i) {
            const TAtrib& e = *list.object(i);
            if (e.Nature != kNatureFile) continue;
            files.push_back({list.key(i), e.SizeFile});
            at.push_back(i);
        }
        const std::optional<TripChoice> choice = trip_.choose(files, own);
        if (!choice) return std::nullopt;
        std::unordered_set<std::string> storeNames;
        for (std::size_t k = 0; k < at.size(); ++k) {
            if (choice->carried[k]) storeNames.insert(list.object(at[k])->FNameTmp.text());
        }
        return storeNames;
    }

    // A dry run's full copy: every file of the fresh table that goes on this trip, each with its line.
    void planFullCopy(const TFileList& list, const std::string& own, const std::unordered_set<std::string>& thisTrip) {
        for (std::size_t i = 0; i < list.count(); ++i) {
            const TAtrib& e = *list.object(i);
            if (e.Nature != kNatureFile || !thisTrip.contains(e.FNameTmp.text())) continue;
            echoPlannedStore(host_, own + list.key(i));
            ++plan_->storeFiles;
            plan_->storeBytes += e.SizeFile;
            trip_.stored(e.SizeFile);
        }
    }

    // A table this half no longer keeps; a dry run leaves it.
    void dropTable(const std::string& table) const {
        if (plan_ == nullptr) removeTableFile(table);
    }

    // Where the agreed state has a record of a file, it alone decides whether the file travels:
    // exactly when this side differs from it. With deletion off a file the other side no longer
    // has travels too, since the other side then takes it back. A file the other side has too but
    // the computers never agreed on travels whenever the two differ, whichever is newer (the
    // receive keeps both versions where they differ); where both tables show it with the same size
    // and the same time, it is agreed from now on (`agreedNow` gathers those records).
    decltype(ComparePair::agreedSays) agreedSays(std::shared_ptr<const AgreedLookup> agreed,
                                                 std::vector<AgreedRecord>& agreedNow) const {
        return [agreed = std::move(agreed), own = own_, deletionOn = task_.OperacDell, &agreedNow](
                   std::string_view name, const TAtrib& source, const TAtrib* destination) -> std::optional<bool> {
            const auto record = agreed ? agreed->find(name) : std::nullopt;
            if (!record) {
                if (destination == nullptr) return std::nullopt; // new here
                // Agreed under another spelling only: renamed here in letter case, which the other
                // computer learns only when the file travels under its new name.
                if (agreed && agreed->knowsInAnotherSpelling(name)) return true;
                if (destination->Nature == source.Nature && destination->SizeFile == source.SizeFile &&
                    std::fabs(destination->FileDataTime - source.FileDataTime) <= kOwnTimeTolerance) {
                    AgreedRecord now{std::string(name), source.Nature, source.SizeFile, 0, 0, {}};
                    now.setTime(own, source.FileDataTime);
                    now.setTime(otherSide(own), destination->FileDataTime);
                    agreedNow.push_back(std::move(now));
                    return false;
                }
                return true;
            }
            const bool changed = !unchangedAgainst(*record, {source.Nature, source.SizeFile, source.FileDataTime}, own);
            return changed || (destination == nullptr && !deletionOn);
        };
    }

    // Adds what both tables show alike to the pair's agreed state, so that the first change of such
    // a file afterwards travels as a change, not as a conflict.
    void recordAgreement(int n, std::vector<AgreedRecord> agreedNow) const {
        AgreedState state = readPairAgreedState(ctx_, task_, n, own_);
        state.records.reserve(state.records.size() + agreedNow.size());
        for (AgreedRecord& record : agreedNow) state.records.push_back(std::move(record));
        writePairAgreedState(ctx_, task_, n, std::move(state));
    }

    // The store list after a full copy: every file of the table that was copied into the store.
    static StoreList listOfWholeTable(const TFileList& list, const ListCopyResult& copied) {
        StoreList stored;
        for (std::size_t i = 0; i < list.count(); ++i) {
            const TAtrib& e = *list.object(i);
            if (e.Nature != kNatureFile || !copied.stored.contains(e.FNameTmp.text())) continue;
            const auto sum = copied.checksums.find(e.FNameTmp.text());
            stored.add({list.key(i), e.SizeFile, e.FileDataTime, e.FNameTmp.text(),
                        sum == copied.checksums.end() ? std::nullopt : std::optional<std::uint64_t>(sum->second)});
        }
        return stored;
    }

    SyncContext& ctx_;
    RunHost& host_;
    const TProfilLine& task_;
    Side own_;
    bool work_;
    std::string storeRoot_;
    RunPlan* plan_; // a dry run: decide and say, change nothing
    // What this trip of the medium carries (a dry run counts the store a real send removes as free).
    SendTrip trip_{host_, ctx_.PathTask, plan_ != nullptr, plan_ != nullptr ? storeRoot_ : std::string()};
    FullCopyAnswer answer_;
    std::array<std::shared_ptr<const AgreedLookup>, 11> agreed_; // by pair number; null when none
    std::unique_ptr<PackedFileList> scanned_; // the fresh scan of pair scannedPair_, as its table loads
    int scannedPair_ = 0;
    std::unique_ptr<SendInputs> inputs_; // what pair inputsPair_ compares with, read beside its scan
    int inputsPair_ = 0;
    bool agreedSettled_ = true;
    std::array<bool, 11> skipped_{};     // pairs whose folder reads empty against what was agreed
    std::array<bool, 11> emptied_{};     // pairs whose folder the user emptied on purpose
    bool answerForAll_ = false;
};

} // namespace

HalfResult RunWorkHome_Work(SyncContext& ctx, const TProfilLine& task) { return SendingHalf(ctx, task, Side::Work).run(); }

HalfResult RunHomeWork_Home(SyncContext& ctx, const TProfilLine& task) { return SendingHalf(ctx, task, Side::Home).run(); }

} // namespace tarvela
