#pragma once
// What the engine asks of the system about disks and about this computer.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvela::platform {

// Bytes available to this user on the file system that holds the existing path; -1 when the
// query fails.
std::int64_t availableBytes(const std::string& path);

// What the file system that holds the existing path tells of its space. `available` is -1 when the
// query fails; `sized` is false when it reports no size at all (0 blocks in total, as some FUSE
// drivers do), so that its free space means nothing; `unit` is its allocation unit in bytes (at
// least 1): every file that is not empty takes a whole number of them.
struct DiskSpace {
    std::int64_t available = -1;
    std::int64_t unit = 1;
    bool sized = false;
};
DiskSpace diskSpace(const std::string& path);

// The largest file FAT can hold: one byte short of 4 GiB.
inline constexpr std::int64_t kFatLargestFile = (std::int64_t{1} << 32) - 1;

// The largest file that the file system holding the existing path can keep, where it has such a
// limit: kFatLargestFile on FAT, whether the system's own driver or a FUSE one (which answers a
// write past the limit with a mere "permission denied") holds it. Empty elsewhere, and when it
// cannot be told.
std::optional<std::int64_t> largestFileSize(const std::string& path);

// The files that may hold this computer's machine id (a stable identity made at installation, as
// hexadecimal text on the first line), the authoritative one first.
std::vector<std::string> machineIdFiles();

// The serial number of the volume that holds the operating system, where the system identifies a
// computer by it (Windows); empty elsewhere.
std::optional<std::uint32_t> systemVolumeSerial();

} // namespace tarvela::platform
