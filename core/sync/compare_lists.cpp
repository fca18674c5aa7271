#include "sync/compare_lists.h"

#include "scan/case_fold.h"
#include "base/echo_color.h"
#include "base/messages.h"
#include "platform/file_system.h"
#include "sync/run_control.h"

#include <string_view>
#include <algorithm>
#include <deque>
#include <limits>
#include <unordered_map>
#include <vector>

namespace tarvela {
namespace {

constexpr std::size_t kNoMatch = std::numeric_limits<std::size_t>::max();

// Unmatched items of D by key: for each key a chain of its items in list order, so that every
// lookup returns the first unmatched item, as a linear search from the start of D would. The keys
// are views of strings that outlive the index.
class MatchIndex {
public:
    explicit MatchIndex(std::size_t itemCount) : next_(itemCount, kNoMatch) {}

    // Items must be added in reverse list order (each becomes the head of its key's chain).
    void addInReverse(std::string_view key, std::size_t item) {
        auto [it, inserted] = head_.try_emplace(key, item);
        if (!inserted) {
            next_[item] = it->second;
            it->second = item;
        }
    }

    void reserve(std::size_t keys) { head_.reserve(keys); }

    std::size_t take(std::string_view key, const std::vector<bool>& matched) {
        const auto it = head_.find(key);
        if (it == head_.end()) return kNoMatch;
        std::size_t item = it->second;
        while (item != kNoMatch && matched[item]) item = next_[item];
        it->second = item == kNoMatch ? kNoMatch : next_[item];
        return item;
    }

private:
    std::unordered_map<std::string_view, std::size_t> head_;
    std::vector<std::size_t> next_;
};

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    return b > std::numeric_limits<std::int64_t>::max() - a ? std::numeric_limits<std::int64_t>::max() : a + b;
}

} // namespace

std::int64_t CompareListsOfFiles(TFileList& S, TFileList&& D, const ComparePair& pair, RunHost& host) {
    const std::size_t sourceCount = S.count();
    std::vector<std::size_t> partner(sourceCount, kNoMatch);
    std::vector<bool> matched(D.count(), false);

    // Exact names first.
    {
        MatchIndex exact(D.count());
        exact.reserve(D.count());
        for (std::size_t j = D.count(); j-- > 0;) exact.addInReverse(D.key(j), j);
        for (std::size_t i = 0; i < sourceCount; ++i) {
            const std::size_t j = exact.take(S.key(i), matched);
            if (j == kNoMatch) continue;
            partner[i] = j;
            matched[j] = true;
        }
    }
    // Then what is left, ignoring letter case; usually little or nothing, so only that is folded.
    const bool sourceLeft = std::find(partner.begin(), partner.end(), kNoMatch) != partner.end();
    const bool destinationLeft = std::find(matched.begin(), matched.end(), false) != matched.end();
    if (sourceLeft && destinationLeft) {
        std::deque<std::string> foldedKeys; // stable storage for the index's views
        MatchIndex folded(D.count());
        for (std::size_t j = D.count(); j-- > 0;) {
            if (matched[j]) continue;
            folded.addInReverse(foldedKeys.emplace_back(foldCase(D.key(j))), j);
        }
        for (std::size_t i = 0; i < sourceCount; ++i) {
            if (partner[i] != kNoMatch) continue;
            const std::size_t j = folded.take(foldCase(S.key(i)), matched);
            if (j == kNoMatch) continue;
            partner[i] = j;
            matched[j] = true;
        }
    }

    const bool workIsSource = pair.direction == Direction::WorkHome;
    const std::string& sourceFolder = workIsSource ? pair.PathWork : pair.PathHome;
    const std::string& destFolder = workIsSource ? pair.PathHome : pair.PathWork;
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
            host.echo(std::string(msg::kFileAdded) + pair.PathWork + S.key(i), color::kGreen);
        } else if (!isFile) {
            e.Action = TAction::Skip;
        } else if (!agreed && D.object(partner[i])->FileDataTime >= e.FileDataTime) {
            e.Action = TAction::Skip;
        } else {
            e.Action = TAction::Copy;
            host.echo(std::string(msg::kFilesDiffer) + sourceFolder + S.key(i) + std::string(msg::kFilesDifferSeparator) +
                          destFolder + D.key(partner[i]),
                      color::kPurple);
        }
    }

    std::size_t unmatched = 0;
    for (const bool m : matched) unmatched += m ? 0 : 1;
    // A folder only the source has is made on the other side too, even when it is empty: that
    // other side must be able to receive. So must it where it spells the folder in another letter
    // case (renamed on one side in case only): its receive decides which spelling stays. (A file
    // spelt otherwise travels when the agreed state says so; it then opens the store itself.)
    for (std::size_t i = 0; i < sourceCount; ++i) {
        if (S.object(i)->Nature == 1 || S.key(i) == "..") continue;
        if (partner[i] == kNoMatch || D.key(partner[i]) != S.key(i)) ++unmatched;
    }
    if (unmatched > 0 && !pair.storeRoot.empty()) platform::createFolders(pair.storeRoot);

    for (std::size_t j = 0; j < D.count(); ++j) {
        if (matched[j]) continue;
        auto object = D.releaseObject(j);
        // The pair folder itself is never removed, whatever the other side's table says.
        object->Action = pair.OperacDell && D.key(j) != ".." ? TAction::Del : TAction::Skip;
        S.add(D.key(j), std::move(object));
    }
    D = TFileList();

    std::int64_t sum = 0;
    for (std::size_t i = 0; i < S.count(); ++i) {
        if (S.object(i)->Action == TAction::Copy) sum = saturatingAdd(sum, S.object(i)->SizeFile);
    }
    return sum;
}

} // namespace tarvela
