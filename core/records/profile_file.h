#pragma once
// The profile file "Tarvela.cfg" beside the program: a bare sequence of 5676-byte profile records,
// no header. Bytes after the last whole record are ignored.

#include "records/profile.h"

#include <string>

namespace tarvela {

// Every profile of the file in file order, each pair folder ending with its separator
// (addTrailingSeparators). No file: no profiles (not an error). A file that exists but cannot be
// read throws FileError.
ProfilArray LoadProfiles(const std::string& programPath);

// Replaces the file with the array, atomically: a failure throws FileError and leaves the old file
// whole.
void WriteProfiles(const std::string& programPath, const ProfilArray& profiles);

} // namespace tarvela
