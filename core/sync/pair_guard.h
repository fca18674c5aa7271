#pragma once
// The guard against mass removal by an unreadable or absent folder: a pair folder that reads as
// empty (or is missing) while the two computers last agreed that it holds files is left alone by
// both halves, instead of being taken for "the user removed everything" -- unless the user says
// that the folder was emptied on purpose.

#include "base/run_host.h"
#include "records/agreed_state.h"
#include "sync/agreed_lookup.h"

#include <string>

namespace tarvela {

// Whether the pair is known to hold files on this side: the agreed state lists a file, or, with
// no agreed state, this computer's previous table of the pair lists one in `ownFolder` (the
// pair's folder now: a table of the folder the pair named before says nothing of a new one).
bool pairListsFiles(const AgreedState& agreed, const std::string& ownTablePath, const std::string& ownFolder);
// The same from the sending half's lookup (null when the agreed state is empty).
bool pairListsFiles(const AgreedLookup* agreed, const std::string& ownTablePath, const std::string& ownFolder);

// True when the folder can be read and has no entry at all. A folder that cannot be read is left
// to the scan, which records it as unreadable, so that nothing below it is removed.
bool folderReadsEmpty(const std::string& folder);

// For a pair folder that reads empty although the pair is known to hold files: asks the user
// whether it was emptied on purpose. True lets the half go on and take the emptiness as removals
// made here; false leaves the pair alone, and the red line says so.
bool emptiedOnPurpose(RunHost& host, const std::string& folder);

} // namespace tarvela
