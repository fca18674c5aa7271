#pragma once
// Letter case in a pair's receive, where this computer's file system takes names that differ in
// letter case only for one name.

#include "sync/case_rule.h"
#include "sync/pair_receive.h"

namespace tarvela {

// An item both sides have takes the sender's spelling: a name renamed in letter case there is
// renamed here too, and the next send from here finds it as agreed instead of carrying it back.
// Only where the rule is known to fold; never in a dry run, which changes nothing.
void takeSenderSpellings(PairReceive& p);

// The rule for a dry run, which may not leave a probe file: an ASCII name of the scan looked up
// with its case swapped. With no such name the rule is unknown, and nothing is joined.
CaseRule caseRuleSeenInScan(const PairReceive& p);

} // namespace tarvela
