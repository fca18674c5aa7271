#pragma once
// The removal step of a pair's receive, after the copies: files first, then folders deepest first
// and only when empty. Each removal asks the removal question as the profile says, goes to the
// trash when the profile says so, and looks again first: an item changed since the scan (saved
// during the run) is kept with a notice. Not allowed by the profile, or declined: the item stays
// and counts as made here from now on. Many removals at once are asked about once before any.

#include "sync/pair_receive.h"

namespace tarvela {

void applyRemovals(PairReceive& p);

// Removes the item of one row decided as a removal (asked about, to the trash, looked at again
// first), as applyRemovals does for each; a folder only when nothing is left in it.
void removeRow(PairReceive& p, ReceiveRow& r);

} // namespace tarvela
