#include "sync/compare_lists.h"

#include "records/path_form.h"

#include "scan/case_fold.h"
#include "scan/name_index.h"
#include "base/echo_color.h"
#include "base/messages.h"
#include "platform/file_system.h"
#include "sync/run_control.h"

#include <string_view>
#include <algorithm>
#include <limits>
#include <vector>

namespace tarvela {
namespace {

constexpr std::size_t kNoMatch = std::numeric_limits<std::size_t>::max();

// Unmatched items of D by key: for each key a chain of its items in list order, so that every
// lookup returns the first unmatched item, as a linear search from the start of D would. Items
// are numbered 0..count-1 here; `nameOf` gives an item's key (from strings that outlive the index).
// The index's slot of a key holds the head of its chain.
template <typename NameOf>
class MatchIndex {
public:
    MatchIndex(std::size_t itemCount, NameOf nameOf)
        : nameOf_(nameOf), index_(itemCount, nameOf), next_(itemCount, kNone) {}

    // Items must be added in reverse list order (each becomes the head of its key's chain).
    void addInReverse(std::size_t item) {
        const std::size_t slot = index_.slotOf(nameOf_(item));
        if (!index_.isFree(slot)) next_[item] = index_.itemAt(slot);
        index_.store(slot, item);
    }

    // The first item of `key` that `isMatched` does not call taken, taken off its chain.
    template <typename IsMatched>
    std::size_t take(std::string_view key, const IsMatched& isMatched) {
        const std::size_t slot = index_.slotOf(key);
        if (index_.isFree(slot)) return kNoMatch;
        std::uint32_t item = index_.itemAt(slot);
        while (item != kNone && isMatched(item)) item = next_[item];
        const std::uint32_t rest = item == kNone ? kNone : next_[item];
        index_.store(slot, rest == kNone ? Index::kGone : rest);
        return item == kNone ? kNoMatch : item;
    }

private:
    using Index = NameIndex<NameOf>;
    static constexpr std::uint32_t kNone = Index::kNone;
    NameOf nameOf_;
    Index index_;
    std::vector<std::uint32_t> next_; // by item
};

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    return b > std::numeric_limits<std::int64_t>::max() - a ? std::numeric_limits<std::int64_t>::max() : a + b;
}

// "Файл добавлен" for a name only the source has, with a notice where the other side is a Windows
// computer that cannot hold the name: said at the source, where it can still be renamed, rather
// than only as a failure there.
void sayAdded(RunHost& host, const std::string& workFolder, const std::string& sourceFolder, bool destIsWindows,
              std::string_view name) {
    host.echo(std::string(msg::kFileAdded).append(workFolder).append(name), color::kGreen);
    // A folder's entry ends with "/..", which is its mark in the table, not part of its name.
    constexpr std::string_view kFolderMark = "/..";
    const std::string_view held = name.ends_with(kFolderMark) ? name.substr(0, name.size() - kFolderMark.size()) : name;
    if (destIsWindows && !windowsCanHoldName(held))
        host.echo(std::string(msg::kNameNotForWindows).append(sourceFolder).append(name), color::kBlack);
}

void sayDiffer(RunHost& host, const std::string& sourceFolder, std::string_view name, const std::string& destFolder,
               std::string_view otherName) {
    host.echo(std::string(msg::kFilesDiffer)
                  .append(sourceFolder)
                  .append(name)
                  .append(msg::kFilesDifferSeparator)
                  .append(destFolder)
                  .append(otherName),
              color::kPurple);
}

template <typename List>
std::int64_t compareLists(List& S, List&& D, const ComparePair& pair, RunHost& host) {
    const std::size_t sourceCount = S.count();
    std::vector<std::size_t> partner(sourceCount, kNoMatch);
    std::vector<bool> matched(D.count(), false);

    // Exact names first.
    {
        const auto keyOf = [&D](std::size_t j) { return std::string_view(D.key(j)); };
        MatchIndex exact(D.count(), keyOf);
        for (std::size_t j = D.count(); j-- > 0;) exact.addInReverse(j);
        const auto isMatched = [&matched](std::size_t j) { return matched[j]; };
        for (std::size_t i = 0; i < sourceCount; ++i) {
            const std::size_t j = exact.take(S.key(i), isMatched);
            if (j == kNoMatch) continue;
            partner[i] = j;
            matched[j] = true;
        }
    }
    // Then what is left, ignoring letter case; usually little or nothing, so only that is folded.
    const bool sourceLeft = std::find(partner.begin(), partner.end(), kNoMatch) != partner.end();
    const bool destinationLeft = std::find(matched.begin(), matched.end(), false) != matched.end();
    if (sourceLeft && destinationLeft) {
        // The unmatched items of D with their folded keys, numbered in list order.
        std::vector<std::size_t> left;
        std::vector<std::string> foldedKeys;
        for (std::size_t j = 0; j < D.count(); ++j) {
            if (matched[j]) continue;
            left.push_back(j);
            foldedKeys.push_back(foldCase(D.key(j)));
        }
        const auto keyOf = [&foldedKeys](std::size_t k) { return std::string_view(foldedKeys[k]); };
        MatchIndex folded(left.size(), keyOf);
        for (std::size_t k = left.size(); k-- > 0;) folded.addInReverse(k);
        const auto isMatched = [&](std::size_t k) { return static_cast<bool>(matched[left[k]]); };
        for (std::size_t i = 0; i < sourceCount; ++i) {
            if (partner[i] != kNoMatch) continue;
            const std::size_t k = folded.take(foldCase(S.key(i)), isMatched);
            if (k == kNoMatch) continue;
            partner[i] = left[k];
            matched[left[k]] = true;
        }
    }

    const bool workIsSource = pair.direction == Direction::WorkHome;
    const std::string& sourceFolder = workIsSource ? pair.PathWork : pair.PathHome;
    const std::string& destFolder = workIsSource ? pair.PathHome : pair.PathWork;
    const bool destIsWindows = isWindowsFolderText(destFolder);
    if (pair.held != nullptr)
        pair.held->startPair(pair);
    for (std::size_t i = 0; i < sourceCount; ++i) {
        TAtrib& e = *S.object(i);
        const bool isFile = e.Nature == 1;
        std::optional<bool> agreed;
        if (isFile && pair.agreedSays) {
            agreed = pair.agreedSays(S.key(i), e, partner[i] == kNoMatch ? nullptr : D.object(partner[i]));
        }
        if (agreed == false) {
            e.Action = TAction::Skip;
        } else if (partner[i] == kNoMatch) {
            if (isFile) e.Action = TAction::Copy;
            if (pair.held != nullptr)
                pair.held->added(i);
            else
                sayAdded(host, pair.PathWork, sourceFolder, destIsWindows, S.key(i));
        } else if (!isFile) {
            e.Action = TAction::Skip;
        } else if (!agreed && D.object(partner[i])->FileDataTime >= e.FileDataTime) {
            e.Action = TAction::Skip;
        } else {
            e.Action = TAction::Copy;
            if (pair.held != nullptr)
                pair.held->differ(i, S.key(i), D.key(partner[i]));
            else
                sayDiffer(host, sourceFolder, S.key(i), destFolder, D.key(partner[i]));
        }
    }

    std::size_t unmatched = 0;
    for (const bool m : matched) unmatched += m ? 0 : 1;
    const std::size_t unmatchedItems = unmatched;
    // A folder only the source has is made on the other side too, even when it is empty: that
    // other side must be able to receive. So must it where it spells the folder in another letter
    // case (renamed on one side in case only): its receive decides which spelling stays. (A file
    // spelt otherwise travels when the agreed state says so; it then opens the store itself.)
    for (std::size_t i = 0; i < sourceCount; ++i) {
        if (S.object(i)->Nature == 1 || S.key(i) == "..") continue;
        if (partner[i] == kNoMatch || D.key(partner[i]) != S.key(i)) ++unmatched;
    }
    if (unmatched > 0 && !pair.storeRoot.empty()) platform::createFolders(pair.storeRoot);

    S.reserve(S.count() + unmatchedItems);
    for (std::size_t j = 0; j < D.count(); ++j) {
        if (matched[j]) continue;
        auto object = D.releaseObject(j);
        // The pair folder itself is never removed, whatever the other side's table says.
        object->Action = pair.OperacDell && D.key(j) != ".." ? TAction::Del : TAction::Skip;
        S.add(std::string(D.key(j)), std::move(object));
    }
    D = List();

    std::int64_t sum = 0;
    for (std::size_t i = 0; i < S.count(); ++i) {
        if (S.object(i)->Action == TAction::Copy) sum = saturatingAdd(sum, S.object(i)->SizeFile);
    }
    return sum;
}

} // namespace

void ComparedLines::startPair(const ComparePair& pair) {
    const bool workIsSource = pair.direction == Direction::WorkHome;
    workFolder_ = pair.PathWork;
    sourceFolder_ = workIsSource ? pair.PathWork : pair.PathHome;
    destFolder_ = workIsSource ? pair.PathHome : pair.PathWork;
    destIsWindows_ = isWindowsFolderText(destFolder_);
    lines_.clear();
    otherSpelling_.clear();
}

void ComparedLines::differ(std::size_t entry, std::string_view sourceName, std::string_view otherName) {
    lines_.push_back({entry, true});
    if (otherName != sourceName)
        otherSpelling_.emplace(entry, otherName);
}

template <typename List>
void ComparedLines::writeOf(const List& S, RunHost& host,
                            const std::function<bool(std::string_view name)>& leaveOut) const {
    for (const Line& line : lines_) {
        const std::string_view name = S.key(line.entry);
        if (leaveOut && leaveOut(name))
            continue;
        if (!line.differs) {
            sayAdded(host, workFolder_, sourceFolder_, destIsWindows_, name);
            continue;
        }
        const auto other = otherSpelling_.find(line.entry);
        sayDiffer(host, sourceFolder_, name, destFolder_,
                  other == otherSpelling_.end() ? name : std::string_view(other->second));
    }
}

void ComparedLines::write(const TFileList& S, RunHost& host,
                          const std::function<bool(std::string_view name)>& leaveOut) const {
    writeOf(S, host, leaveOut);
}

void ComparedLines::write(const PackedFileList& S, RunHost& host,
                          const std::function<bool(std::string_view name)>& leaveOut) const {
    writeOf(S, host, leaveOut);
}

std::int64_t CompareListsOfFiles(TFileList& S, TFileList&& D, const ComparePair& pair, RunHost& host) {
    return compareLists(S, std::move(D), pair, host);
}

std::int64_t CompareListsOfFiles(PackedFileList& S, PackedFileList&& D, const ComparePair& pair, RunHost& host) {
    return compareLists(S, std::move(D), pair, host);
}

} // namespace tarvela
