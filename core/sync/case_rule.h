#pragma once
// The letter-case rule of a pair folder on this computer: whether names that differ in letter case
// only are one name there. It is a property of a file system, so a disk mounted at a folder below
// the pair folder has a rule of its own. A rule that could not be found out is unknown, and an
// unknown rule joins nothing: names that might be one are kept apart, and nothing is respelt.

#include "platform/file_system.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

using platform::NameCase;

class CaseRule {
public:
    CaseRule() = default;
    explicit CaseRule(NameCase pair) : pair_(pair) {}

    // Finds the rule of the pair folder and of every file system mounted below it, by a probe in
    // each (which leaves nothing behind).
    static CaseRule probe(const std::string& pairFolder);

    // A disk mounted at `folder` (relative, ending with '/') has the rule `rule`.
    void addMount(std::string folder, NameCase rule);

    // The name by which a relative name is joined with others: the name itself, or where its
    // folder's file system folds letter case, its folded form in that part.
    std::string key(std::string_view name) const;
    // Whether any part of the pair folds letter case (the join then needs keys of its own).
    bool foldsAnywhere() const;
    // Whether the whole pair folds letter case and has one rule (the receive's table can then be
    // derived by folded names).
    bool foldsEverywhere() const { return pair_ == NameCase::Folds && mounts_.empty(); }
    // Whether the file system that holds the relative name folds letter case (known to).
    bool foldsAt(std::string_view name) const;
    // Whether the rule is known for the whole pair and is one rule.
    bool simple() const { return pair_ != NameCase::Unknown && mounts_.empty(); }

private:
    // The mount whose folder holds the name, or null for the pair folder's own file system.
    const std::pair<std::string, NameCase>* mountOf(std::string_view name) const;

    NameCase pair_ = NameCase::Distinct;
    std::vector<std::pair<std::string, NameCase>> mounts_; // deepest last
};

} // namespace tarvela
