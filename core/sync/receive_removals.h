#pragma once
// The removal step of a pair's receive, after the copies: files first, then folders deepest first
// and only when empty. Each removal asks the removal question as the profile says, goes to the
// trash when the profile says so, and looks again first: an item changed since the scan (saved
// during the run) is kept with a notice. Not allowed by the profile, or declined: the item stays
// and counts as made here from now on. Many removals at once are asked about once before any.

#include "sync/pair_receive.h"

#include <cstddef>
#include <vector>

namespace tarvela {

void applyRemovals(PairReceive& p);

// Removes the items of the rows (indexes into p.rows) decided as removals: the files, then the
// folders deepest first, each as applyRemovals does it (asked about, to the trash, looked at again
// first; a folder only when nothing is left in it). Ends early on a stop or a disk that went away.
void removeInOrder(PairReceive& p, const std::vector<std::size_t>& files, std::vector<std::size_t> folders);

} // namespace tarvela
