#pragma once
// Copying one file the way the engine needs it: in large chunks through the kernel's copy path,
// into a temporary file beside the destination that replaces the destination only once it is
// complete. A stop, a full disk or a read error leaves an existing destination exactly as it was
// and no temporary file behind. The temporary file has no name at all where the file system
// allows it, so that even a crash leaves none.

#include "platform/directory.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela::platform {

// A copy's temporary file is named ".tarvela-....part" in the destination's folder. Where a copy
// is cut off before its rename (power lost on a file system without unnamed files), the scan leaves
// such names out, so that a leftover never travels as a user's file.
inline bool isCopyTemporaryName(std::string_view name) {
    return name.starts_with(".tarvela-") && name.ends_with(".part");
}

// Whether such a temporary is a leftover: its name carries the process that wrote it
// (".tarvela-PID-....part"), and that process is gone. A name without one is from an older
// version and a leftover too. A scan removes leftovers where it finds them.
bool isLeftoverCopyTemporary(std::string_view name);

// Bytes copied between two progress reports (and two looks at the stop flag).
inline constexpr std::int64_t kCopyChunk = std::int64_t{8} << 20;

struct CopyOptions {
    // Keep the file's pages out of the page cache: a huge file would otherwise evict everything
    // the user is working with. The data is then on the device before the copy replaces the
    // destination.
    bool bypassCache = false;
    // Last-write time of the copy; the source's own when empty.
    std::optional<FileTime> lastWrite;
    // Write the copy as an unnamed file where the file system allows it; false always uses the
    // named temporary file of the others (for tests of that path).
    bool unnamedTemporary = true;
    // Follow a symbolic link at the source (a user's folder may hold one; it is copied as the file it
    // points to). False for sources on the medium: a link there is refused, never followed.
    bool followSourceLink = true;
    // When set, the copy reads and writes through a buffer and hands every block to `onData` in
    // order, so that a checksum sees the data on its one pass (the kernel's copy path never shows it).
    std::function<void(const unsigned char* data, std::size_t size)> onData = {};
    // When set, asked once all data is written, before the copy replaces the destination; false
    // abandons the copy (Rejected) and leaves the destination as it was.
    std::function<bool(std::int64_t bytesCopied)> accept = {};
};

enum class CopyStatus {
    Done,
    SourceMissing, // the source vanished (or never was)
    AccessDenied,  // permission denied on either side
    Stopped,       // the progress callback asked to stop
    NotRegular,    // the source is a folder, a device, or a link that was not to be followed
    Failed,        // anything else: full disk, read or write error...
    Rejected,      // the options' accept refused the complete data (a checksum did not match)
};

struct CopyResult {
    CopyStatus status = CopyStatus::Failed;
    int error = 0; // errno of the failure; 0 for Done and Stopped
    bool ok() const { return status == CopyStatus::Done; }
};

// Whether a copy's error means that the destination has no room left: its disk is full, or the
// user's quota there is used up.
bool isNoSpaceError(int error);

// Called after each chunk with the bytes copied so far; returning false abandons the copy. May be
// empty.
using CopyProgress = std::function<bool(std::int64_t bytesDone)>;

// Copies the regular file `from` (a link is followed unless the options say not) to `to`,
// replacing `to` when it exists. The copy gets the source's permission bits and last-access time
// and the last-write time of the options; where the destination's file system cannot hold them
// (FAT) that is not a failure. Small copies are not flushed to the device one by one: see syncFileSystem.
CopyResult copyFile(const std::string& from, const std::string& to, const CopyOptions& options,
                    const CopyProgress& progress);

// Size of the file at path (a link is followed when `followLink`; 0 for anything but a regular file),
// or the errno of the failed query: ENOENT when nothing is there.
struct SizeQuery {
    std::int64_t size = -1;
    int error = 0;
};
SizeQuery querySize(const std::string& path, bool followLink = true);

// Writes everything still cached for the file system that holds `path` to its device. One call
// after a run's copies makes them all durable for the price of one flush; false when it failed
// (the device lost writes, or the folder could not be opened), with its errno in *error when given.
bool syncFileSystem(const std::string& path, int* error = nullptr);

} // namespace tarvela::platform
