#include "compare_lists.h"

#include "case_fold.h"
#include "echo_color.h"
#include "messages.h"
#include "platform/file_system.h"
#include "run_control.h"

#include <deque>
#include <limits>
#include <unordered_map>
#include <vector>

namespace tarvela {
namespace {

constexpr std::size_t kNoMatch = std::numeric_limits<std::size_t>::max();

// D's unmatched items by key, each key's items in list order, so that every lookup returns the
// first unmatched item as a linear search from the start of D would.
class MatchIndex {
public:
    MatchIndex(const TFileList& D, bool folded) : folded_(folded) {
        for (std::size_t i = 0; i < D.count(); ++i) byKey_[keyOf(D.key(i))].push_back(i);
    }

    std::size_t take(const std::string& key, const std::vector<bool>& matched) {
        const auto it = byKey_.find(keyOf(key));
        if (it == byKey_.end()) return kNoMatch;
        auto& queue = it->second;
        while (!queue.empty() && matched[queue.front()]) queue.pop_front();
        if (queue.empty()) return kNoMatch;
        const std::size_t index = queue.front();
        queue.pop_front();
        return index;
    }

private:
    std::string keyOf(const std::string& key) const { return folded_ ? foldCase(key) : key; }

    bool folded_;
    std::unordered_map<std::string, std::deque<std::size_t>> byKey_;
};

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    return b > std::numeric_limits<std::int64_t>::max() - a ? std::numeric_limits<std::int64_t>::max() : a + b;
}

} // namespace

std::int64_t CompareListsOfFiles(TFileList& S, TFileList&& D, const ComparePair& pair, RunHost& host) {
    const std::size_t sourceCount = S.count();
    std::vector<std::size_t> partner(sourceCount, kNoMatch);
    std::vector<bool> matched(D.count(), false);

    // Exact names first, then the rest ignoring letter case.
    for (const bool folded : {false, true}) {
        MatchIndex index(D, folded);
        for (std::size_t i = 0; i < sourceCount; ++i) {
            if (partner[i] != kNoMatch) continue;
            const std::size_t j = index.take(S.key(i), matched);
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
        if (partner[i] == kNoMatch) {
            if (isFile) e.Action = TAction::Copy;
            host.echo(std::string(msg::kFileAdded) + pair.PathWork + S.key(i), color::kGreen);
        } else if (!isFile) {
            e.Action = TAction::Skip;
        } else if (D.object(partner[i])->FileDataTime >= e.FileDataTime) {
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
