#include "sync/case_rule.h"

#include "platform/file_system.h"
#include "scan/case_fold.h"

#include <algorithm>

namespace tarvela {

CaseRule CaseRule::probe(const std::string& pairFolder) {
    CaseRule rule(platform::nameCaseOf(pairFolder));
    for (std::string& below : platform::mountPointsBelow(pairFolder)) {
        const NameCase mounted = platform::nameCaseOf(pairFolder + below);
        rule.addMount(std::move(below), mounted);
    }
    return rule;
}

void CaseRule::addMount(std::string folder, NameCase rule) {
    mounts_.emplace_back(std::move(folder), rule);
    std::stable_sort(mounts_.begin(), mounts_.end(), [](const auto& a, const auto& b) {
        return std::count(a.first.begin(), a.first.end(), '/') < std::count(b.first.begin(), b.first.end(), '/');
    });
}

const std::pair<std::string, NameCase>* CaseRule::mountOf(std::string_view name) const {
    // A mount's own folder name belongs to the file system above it: compared by that one's rule.
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) {
        const std::string& folder = it->first;
        if (name.size() < folder.size())
            continue;
        const std::string_view head = name.substr(0, folder.size());
        if (head == folder || (pair_ == NameCase::Folds && foldCase(head) == foldCase(folder)))
            return &*it;
    }
    return nullptr;
}

bool CaseRule::foldsAt(std::string_view name) const {
    const auto* mount = mountOf(name);
    return (mount == nullptr ? pair_ : mount->second) == NameCase::Folds;
}

bool CaseRule::foldsAnywhere() const {
    return pair_ == NameCase::Folds ||
           std::any_of(mounts_.begin(), mounts_.end(), [](const auto& m) { return m.second == NameCase::Folds; });
}

std::string CaseRule::key(std::string_view name) const {
    const auto* mount = mountOf(name);
    if (mount == nullptr)
        return pair_ == NameCase::Folds ? foldCase(name) : std::string(name);
    const std::string_view head = name.substr(0, mount->first.size());
    const std::string_view rest = name.substr(mount->first.size());
    std::string k = pair_ == NameCase::Folds ? foldCase(head) : std::string(head);
    k += mount->second == NameCase::Folds ? foldCase(rest) : std::string(rest);
    return k;
}

} // namespace tarvela
