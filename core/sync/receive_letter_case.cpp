#include "sync/receive_letter_case.h"

#include "platform/file_system.h"
#include "records/table_record.h"
#include "scan/case_fold.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarvela {

void takeSenderSpellings(PairReceive& p) {
    if (p.plan != nullptr)
        return;
    std::vector<ReceiveRow*> differing;
    for (ReceiveRow& r : p.rows) {
        if (r.setAside || r.s < 0 || r.l < 0 || p.sItem(r)->Nature != p.lItem(r)->Nature ||
            p.senderName(r) == p.L.key(static_cast<std::size_t>(r.l)))
            continue;
        // Joined by the rule of the file system that holds it; one that does not fold never
        // joins two spellings, and its items are not respelt.
        if (!p.rows.caseRule().foldsAt(p.L.key(static_cast<std::size_t>(r.l))))
            continue;
        differing.push_back(&r);
    }
    if (differing.empty())
        return;
    const auto depth = [&](const ReceiveRow* r) {
        const std::string name = withoutFolderMark(p.L.key(static_cast<std::size_t>(r->l)));
        return std::count(name.begin(), name.end(), '/');
    };
    std::stable_sort(differing.begin(), differing.end(),
                     [&](const ReceiveRow* a, const ReceiveRow* b) { return depth(a) < depth(b); });
    // Folders above first; an item counts as respelt only when its whole path now reads as the
    // sender spells it (a folder above that kept its spelling, refused as a case twin or not
    // renamed, keeps the item's own too).
    std::unordered_map<std::string, std::string> onDisk; // renamed folders: folded path -> spelling now
    for (ReceiveRow* r : differing) {
        const std::string from = withoutFolderMark(p.L.key(static_cast<std::size_t>(r->l)));
        const std::string to = withoutFolderMark(p.senderName(*r));
        const std::size_t leaf = from.rfind('/') + 1; // both spell the same folders, so the same length up to here
        std::string above = from.substr(0, leaf);
        if (const auto it = onDisk.find(foldCase(above)); it != onDisk.end())
            above = it->second;
        std::string now = above + from.substr(leaf);
        // Only below real folders of the pair (the copy's own check says why otherwise).
        if (from.compare(leaf, std::string::npos, to, leaf, std::string::npos) != 0 &&
            p.rooted.parentsStayInside(now) &&
            platform::renameLetterCase(p.ownFolder + now, p.ownFolder + above + to.substr(leaf))) {
            now = above + to.substr(leaf);
            // Rare: the table is read afresh rather than respelt entry by entry.
            p.journal.unsure();
        }
        if (p.sItem(*r)->Nature == kNatureFolder)
            onDisk[foldCase(to + "/")] = now + "/";
        r->respelt = now == to;
    }
}

CaseRule caseRuleSeenInScan(const PairReceive& p) {
    std::unordered_set<std::string> names;
    for (std::size_t i = 0; i < p.L.count(); ++i)
        names.emplace(p.L.key(i));
    for (std::size_t i = 0; i < p.L.count(); ++i) {
        if (p.L.key(i) == "..")
            continue; // the pair folder's own entry
        const std::string name = withoutFolderMark(p.L.key(i));
        std::string swapped = name;
        for (char& c : swapped) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        if (swapped == name || names.contains(swapped) || names.contains(swapped + "/.."))
            continue;
        return CaseRule(platform::pathKindNoFollow(p.ownFolder + swapped) != platform::PathKind::Missing
                            ? NameCase::Folds
                            : NameCase::Distinct);
    }
    return CaseRule(NameCase::Unknown);
}

} // namespace tarvela
