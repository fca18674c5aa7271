#pragma once
// What a receive has put in place counts for the agreed state as it goes. A receive killed part-way
// (the power went, the user closed the terminal at a question) would otherwise leave its copies
// unrecorded: the repeat would take a file the user edited since for "changed on both computers"
// and set the edit aside, and bring back a file the user removed since. Every few seconds, and
// before every question to the user (who may never answer it), the receive flushes its copies to
// the disk and then writes the agreed state as the rows done so far leave it; the receive's own
// write at its end follows as before.

#include "sync/pair_receive.h"

#include <chrono>

namespace tarvela {

// How often at most a receive that keeps copying writes down what it has done.
inline constexpr std::chrono::seconds kCheckpointInterval{2};

// Writes down what the receive has done when it recorded something and the last time lies
// kCheckpointInterval back.
void checkpointIfDue(PairReceive& p);

// Writes down what the receive has done, when it recorded something since the last time. Quiet:
// a disk that will not flush or a medium that refuses the file only leaves this point out (the
// receive's own write at its end reports them).
void checkpointNow(PairReceive& p);

} // namespace tarvela
