#pragma once
// The profile file "Tarvela.cfg" beside the program: a bare sequence of 5676-byte profile records,
// no header. Bytes after the last whole record are ignored.

#include "records/profile.h"

#include <cstdint>
#include <string>

namespace tarvela {

// The profile file as read: every whole record in file order, each pair folder ending with its
// separator (addTrailingSeparators), and the number of bytes after them that make no whole record
// (a file cut short, or written by something else). Those bytes are not read, and the next rewrite
// drops them, so the front ends say so (msg::kProfileFilePartialRecord). No file: no profiles (not
// an error). A file that exists but cannot be read throws FileError.
struct ProfileFileContent {
    ProfilArray profiles;
    std::int64_t partialRecordBytes = 0;
};
ProfileFileContent readProfileFile(const std::string& programPath);

// The profiles alone, where a part of a record after them needs no word.
ProfilArray LoadProfiles(const std::string& programPath);

// Replaces the file with the array, atomically: a failure throws FileError and leaves the old file
// whole.
void WriteProfiles(const std::string& programPath, const ProfilArray& profiles);

} // namespace tarvela
