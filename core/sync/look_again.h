#pragma once
// A receive decides from a scan made at its start, but the user may save, remove or make a file
// while it copies. Right before an item is replaced or removed the receive looks again; an item
// that is no longer as the scan saw it counts as changed here.

#include "scan/file_list.h"

#include <string>

namespace tarvela {

// Whether what stands at `path` now is what the scan saw there: nothing, when `scanned` is null;
// a folder for a folder entry; for a file, a file of the same size and the same last-write time to
// the millisecond (a link to a file counts as the file, as the scan lists it).
bool asScanned(const std::string& path, const TAtrib* scanned);

} // namespace tarvela
