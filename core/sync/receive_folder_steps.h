#pragma once
// The changes a receive makes to this computer's pair folder, for every step that makes them: the
// removal question, removing a file, setting an item aside under a conflict name, making folders.
// None of them ever reaches above the pair folder, and each first makes sure the pair folder is
// still the folder the receive began in (a disk that went away leaves an empty mount point).

#include "sync/pair_receive.h"

#include <string>

namespace tarvela {

// Whether the pair folder is still the folder the receive scanned. When it is not (the disk went
// away, another was mounted): one red line, the pair's disk counts as failed, and false.
bool pairFolderStillThere(PairReceive& p);

// Asks the removal question for `dest` while the remembered answer asks for it, and tells whether
// the item may go. A dry run asks nothing: everything it would remove or ask about is listed.
bool removalAllowed(PairReceive& p, const std::string& dest);

// Removes one file (to the trash when the profile says so); a dry run says it would.
bool removeFileHere(PairReceive& p, const std::string& path);

// Renames what stands at `path` to a conflict name that no other item has; false (with a red line)
// when it cannot be moved, and then nothing is put in its place.
bool moveAside(PairReceive& p, const std::string& path);

// Makes the folder `relative` (a name below the pair folder, '/' between folders, without "/..")
// and the folders above it up to the pair folder, never the pair folder or anything above it. A
// folder that cannot be made is a red line and false.
bool makeFoldersBelowPair(PairReceive& p, const std::string& relative);

// The medium went away under the half: one red line, and the half ends as a failed table would.
[[noreturn]] void mediumGone(PairReceive& p);

} // namespace tarvela
