#pragma once
// The copying step of a pair's receive: every row decided as a copy, a conflict copy or a notice,
// in the sender's order. A copy replaces what stands at its name only once the incoming data is
// complete and sound, and only after a last look shows that the item there is still what the
// receive's scan saw; one changed since (the user saved it during the run) is set aside under a
// conflict name instead of being replaced.

#include "sync/pair_receive.h"

namespace tarvela {

void applyCopies(PairReceive& p);

} // namespace tarvela
