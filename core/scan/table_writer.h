#pragma once
// CreateListFiles: scans a folder of a pair and writes its table file.

#include "scan/exclusions.h"
#include "scan/folder_scan.h"
#include "base/run_host.h"

#include <cstdint>
#include <string>

namespace tarvela {

inline constexpr std::size_t kMaxPathChars = 255;

// Scans pathFolder (ending with '/') and replaces the table file nameFiles with one record per
// entry, in scan order, leaving out what `exclusions` names. A path longer than 255 characters
// gets a red echo line and is left out. A folder that cannot be read gets a red echo line too. Returns
// the sum of SizeFile over the records written. The table is replaced atomically and its check file
// (records/table_check.h: record count, checksum, the folders not read) is written right after it;
// a failure throws FileError and leaves the old table whole. `scanThreads` read the folders ahead
// (folder_scan.h); the table is the same for any number.
std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host,
                             unsigned scanThreads = defaultScanThreads());

} // namespace tarvela
