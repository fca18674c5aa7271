#pragma once
// Removals held because the exclusion masks changed between a send and its receive. A name that
// the sender's masks left out of its table is missing from that table although the sender may
// still have the file; where this computer's masks now let the name in, the receive would take
// its absence for a removal on the other computer. The masks a table was made with stand in its
// check file (records/table_check.h); a table whose check file records none holds nothing back.

#include "sync/pair_receive.h"

namespace tarvela {

// Sets aside every removal of the pair whose name the sender's masks and this computer's masks
// treat differently (one excludes it, the other does not), with one line for each: the file stays,
// and so does its agreed record.
void holdRemovalsTheMasksDisagreeOn(PairReceive& p);

} // namespace tarvela
