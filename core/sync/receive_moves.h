#pragma once
// The moves step of a pair's receive, before the copies: what the sender renamed or moved
// (records/move_list.h) is renamed here within the pair folder, so that its bytes never cross the
// medium. A move is made only when this computer's old item is the agreed one: unchanged against
// the agreed state and of the listed content (read here: far cheaper than a copy through the
// drive), and when nothing stands at the new name; it never replaces an item and never leaves the
// pair folder. A file changed here moves too (the name follows the move, the change travels back
// as a change). A move that cannot be made leaves the old item and its agreed record where they
// are, with one line; the new name stays due, as any name the store does not carry, and the next
// send carries its bytes (the old record is marked, so that it is not taken for a move again).
// Moves are never removals: the rows they take are done before the removals are counted.

#include "records/move_list.h"
#include "sync/pair_receive.h"

namespace tarvela {

// The new names the sender's move list gives for the pair (none when removals are off): they come
// by applyMoves, not by copies; a move it cannot make says so in its own line.
MovedNames listedMoves(const PairReceive& p);

void applyMoves(PairReceive& p);

} // namespace tarvela
