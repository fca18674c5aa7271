#pragma once
// What the engine asks of the system about disks and about this computer.

#include <cstdint>
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

// The files that may hold this computer's machine id (a stable identity made at installation, as
// hexadecimal text on the first line), the authoritative one first.
std::vector<std::string> machineIdFiles();

} // namespace tarvela::platform
