#pragma once
// How a send recognises a move: a file new on this side since the agreed state (no record of its
// name) whose size and time equal the agreed record of a file that vanished from this side, and
// whose content equals that record's checksum. Its bytes do not travel: the move list names it
// and the receive renames its own copy. A vanished folder whose every agreed file moved below one
// new folder, under the same names, is one folder move.
//
// Only a file whose agreed record carries a checksum can be recognised, so the send also gives
// agreed files of this side that lack one their checksum (as much as one budget of reading per
// send allows): a move later on is then recognised.

#include "records/move_list.h"
#include "records/profile.h"
#include "scan/packed_file_list.h"
#include "sync/agreed_lookup.h"
#include "sync/sync_context.h"

#include <cstdint>
#include <vector>

namespace tarvela {

// How many bytes of agreed files without a checksum one send reads to give them one.
inline constexpr std::int64_t kChecksumFillBudget = std::int64_t{1} << 30;

// The moves among the files that the comparison marked to store in S (the send's list of pair
// `n` after CompareListsOfFiles): each moved file is marked "skip" (its bytes stay here), each
// move said in one line (a folder move in one line for all below it), and all returned for the
// move list: folder moves first, then every moved file. Nothing when removals are off in the
// profile (a move removes the old name on the other computer) or there is no agreed state. A dry
// run says and counts the moves and records no checksum. May write the pair's agreed state.
std::vector<Move> findSendMoves(PackedFileList& S, SyncContext& ctx, const TProfilLine& task, int n, Side own,
                                const AgreedLookup* agreed);

} // namespace tarvela
