#include "sync/move_detection.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "copy/copier.h"
#include "platform/file_system.h"
#include "records/agreed_state.h"
#include "records/store_list.h"
#include "records/table_record.h"
#include "scan/exclusions.h"
#include "sync/agreed_generations.h"
#include "sync/file_checksum.h"
#include "sync/half_lines.h"
#include "sync/receive_decision.h"
#include "sync/run_plan.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tarvela {
namespace {

std::optional<std::uint64_t> checksumFromBytes(std::string_view bytes) {
    if (bytes.size() != 8)
        return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i)
        v |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return v;
}

std::vector<std::string_view> components(std::string_view name) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = name.find('/', start);
        parts.push_back(name.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            return parts;
        start = slash + 1;
    }
}

// The first `count` components joined again.
std::string joined(const std::vector<std::string_view>& parts, std::size_t count) {
    std::string name;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            name += '/';
        name.append(parts[i]);
    }
    return name;
}

// A new file of the send that may be one of the vanished ones; its checksum is read once, when
// first needed.
struct Candidate {
    std::size_t index;
    bool read = false;
    bool taken = false;
    std::optional<std::uint64_t> sum;
};

// What the agreed state holds below a folder that may have moved whole.
struct FolderContent {
    std::size_t files = 0;
    std::vector<std::string> folders; // below the folder, without "/.."
};

class MoveFinder {
public:
    MoveFinder(PackedFileList& S, SyncContext& ctx, const TProfilLine& task, int n, Side own,
               const AgreedLookup& agreed)
        : S_(S), ctx_(ctx), task_(task), n_(n), own_(own), agreed_(agreed), ownFolder_(ownFolder(task, own, n)) {}

    std::vector<Move> run() {
        for (std::size_t i = 0; i < S_.count(); ++i) {
            const TAtrib& e = *S_.object(i);
            // (A name renamed in letter case only travels as such a rename, not as a move.)
            if (e.Action == TAction::Copy && e.Nature == kNatureFile && !agreed_.find(S_.key(i)) &&
                !agreed_.knowsInAnotherSpelling(S_.key(i)))
                bySize_[e.SizeFile].push_back(Candidate{i, false, false, std::nullopt});
        }
        if (bySize_.empty() && !agreed_.lacksChecksums())
            return {};
        // The state as the comparison sees it: each side's times as its tables show them now.
        state_ = readPairAgreedState(ctx_, task_, n_, own_);
        std::vector<AgreedRecord> vanished; // of the sizes of new files: maybe gone from here
        std::vector<AgreedRecord> unknown;  // files without a checksum
        std::int64_t budget = kChecksumFillBudget;
        for (const AgreedRecord& r : state_.records) {
            if (r.nature != kNatureFile)
                continue;
            if (r.checksum.empty()) {
                if (budget > 0) {
                    unknown.push_back(r);
                    budget -= r.size;
                }
            } else if (bySize_.contains(r.size)) {
                vanished.push_back(r);
            }
        }
        if (ctx_.plan == nullptr)
            recordMissingChecksums(unknown);
        std::vector<Move> moves = fileMoves(vanished);
        if (moves.empty())
            return moves;
        std::vector<Move> folders = folderMoves(moves);
        say(folders, moves);
        for (const std::size_t i : movedIndexes_)
            S_.object(i)->Action = TAction::Skip;
        folders.insert(folders.end(), moves.begin(), moves.end());
        return folders;
    }

private:
    // Gives agreed files that are still here, unchanged, their checksum in the agreed state.
    void recordMissingChecksums(const std::vector<AgreedRecord>& unknown) {
        std::unordered_map<std::string, std::uint64_t> found;
        for (const AgreedRecord& r : unknown) {
            if (ctx_.host.stopRequested())
                break;
            const std::string path = ownFolder_ + r.name;
            if (!unchangedSinceScan(path, r.size, r.timeOf(own_)))
                continue;
            const auto sum = checksumOfFile(path);
            if (sum && unchangedSinceScan(path, r.size, r.timeOf(own_)))
                found.emplace(r.name, *sum);
        }
        if (found.empty())
            return;
        AgreedState state = state_;
        for (AgreedRecord& r : state.records) {
            if (r.nature != kNatureFile || !r.checksum.empty())
                continue;
            if (const auto it = found.find(r.name); it != found.end())
                r.checksum = checksumBytes(it->second);
        }
        writePairAgreedState(ctx_, task_, n_, std::move(state));
    }

    // Each agreed file gone from here is matched with the first new file of its size and time
    // whose content has its checksum.
    std::vector<Move> fileMoves(const std::vector<AgreedRecord>& vanished) {
        std::vector<Move> moves;
        for (const AgreedRecord& old : vanished) {
            if (ctx_.host.stopRequested())
                break;
            // A name the masks set aside is not gone: the other computer keeps it, and keeps its
            // record, whatever happened to it here.
            const auto want = checksumFromBytes(old.checksum);
            if (!want || isExcluded(ctx_.ListExcept, ownFolder_ + old.name) ||
                platform::pathKindNoFollow(ownFolder_ + old.name) != platform::PathKind::Missing)
                continue;
            for (Candidate& c : bySize_[old.size]) {
                const TAtrib& e = *S_.object(c.index);
                if (c.taken || !unchangedAgainst(old, {kNatureFile, e.SizeFile, e.FileDataTime}, own_))
                    continue;
                if (!c.read) {
                    c.read = true;
                    const std::string path = ownFolder_ + std::string(S_.key(c.index));
                    c.sum = checksumOfFile(path);
                    // Written to while it was read: not known to be the vanished file.
                    if (c.sum && !unchangedSinceScan(path, e.SizeFile, e.FileDataTime))
                        c.sum.reset();
                }
                if (c.sum != want)
                    continue;
                c.taken = true;
                moves.push_back({kNatureFile, old.name, std::string(S_.key(c.index)), e.SizeFile, e.FileDataTime, *c.sum});
                movedIndexes_.push_back(c.index);
                break;
            }
        }
        return moves;
    }

    // The folders that moved whole: for every pair of an old and a new folder under which moved
    // files keep the rest of their names, outermost first, the old folder is gone from here, the
    // new one is new, every agreed file below the old one moved below the new one and every agreed
    // folder below it stands below the new one.
    std::vector<Move> folderMoves(const std::vector<Move>& moves) {
        std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> pairs;
        for (std::size_t k = 0; k < moves.size(); ++k) {
            const auto from = components(moves[k].from);
            const auto to = components(moves[k].to);
            for (std::size_t kept = 1; kept < from.size() && kept < to.size(); ++kept) {
                if (from[from.size() - kept] != to[to.size() - kept])
                    break;
                pairs[{joined(from, from.size() - kept), joined(to, to.size() - kept)}].push_back(k);
            }
        }
        if (pairs.empty())
            return {};
        std::unordered_map<std::string, FolderContent> content;
        for (const auto& [folders, ks] : pairs)
            content.try_emplace(folders.first);
        for (const AgreedRecord& r : state_.records) {
            const bool folder = r.nature != kNatureFile;
            const std::string_view name =
                folder && r.name.ends_with("/..") ? std::string_view(r.name).substr(0, r.name.size() - 3) : r.name;
            for (std::size_t slash = name.find('/'); slash != std::string_view::npos;
                 slash = name.find('/', slash + 1)) {
                const auto it = content.find(std::string(name.substr(0, slash)));
                if (it == content.end())
                    continue;
                if (folder)
                    it->second.folders.emplace_back(name.substr(slash + 1));
                else
                    ++it->second.files;
            }
        }
        std::vector<std::pair<std::string, std::string>> order;
        for (const auto& [folders, ks] : pairs)
            order.push_back(folders);
        std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) {
            return std::count(x.first.begin(), x.first.end(), '/') < std::count(y.first.begin(), y.first.end(), '/');
        });
        std::vector<Move> folderMoves;
        std::vector<bool> claimed(moves.size(), false);
        for (const auto& folders : order) {
            const std::vector<std::size_t>& ks = pairs[folders];
            if (std::any_of(ks.begin(), ks.end(), [&](std::size_t k) { return claimed[k]; }))
                continue;
            const auto& [from, to] = folders;
            const auto oldRecord = agreed_.find(from + "/..");
            const FolderContent& below = content[from];
            if (!oldRecord || oldRecord->nature != kNatureFolder || agreed_.find(to + "/..") ||
                platform::pathKindNoFollow(ownFolder_ + from) != platform::PathKind::Missing ||
                !platform::folderExists(ownFolder_ + to) || below.files != ks.size())
                continue;
            if (!std::all_of(below.folders.begin(), below.folders.end(),
                             [&](const std::string& f) { return platform::folderExists(ownFolder_ + to + "/" + f); }))
                continue;
            for (const std::size_t k : ks) {
                claimed[k] = true;
                underFolder_.insert(k);
            }
            folderMoves.push_back({kNatureFolder, from, to, 0, 0, 0});
        }
        return folderMoves;
    }

    void say(const std::vector<Move>& folders, const std::vector<Move>& files) {
        const auto line = [&](const Move& m) {
            ctx_.host.echo(std::string(msg::kMoveSent) + ownFolder_ + m.from + std::string(msg::kMoveArrow) + ownFolder_ +
                               m.to,
                           color::kGreen);
            if (ctx_.plan != nullptr)
                ++ctx_.plan->moves;
        };
        for (const Move& m : folders)
            line(m);
        for (std::size_t k = 0; k < files.size(); ++k) {
            if (!underFolder_.contains(k))
                line(files[k]);
        }
        const std::size_t said = folders.size() + files.size() - underFolder_.size();
        ctx_.host.echo(std::string(msg::kMovesCounted) + std::to_string(said), color::kBlack);
    }

    PackedFileList& S_;
    SyncContext& ctx_;
    const TProfilLine& task_;
    int n_;
    Side own_;
    const AgreedLookup& agreed_;
    std::string ownFolder_;
    std::unordered_map<std::int64_t, std::vector<Candidate>> bySize_;
    AgreedState state_;
    std::vector<std::size_t> movedIndexes_;
    std::unordered_set<std::size_t> underFolder_; // file moves said by their folder's line
};

} // namespace

std::vector<Move> findSendMoves(PackedFileList& S, SyncContext& ctx, const TProfilLine& task, int n, Side own,
                                const AgreedLookup* agreed) {
    if (agreed == nullptr || !task.OperacDell)
        return {};
    return MoveFinder(S, ctx, task, n, own, *agreed).run();
}

} // namespace tarvela
