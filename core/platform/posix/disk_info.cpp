#include "platform/disk_info.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace tarvela::platform {

std::int64_t availableBytes(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return -1;
    // Blocks free for unprivileged users (the reserve for root left out), in fragment-size units.
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

DiskSpace diskSpace(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return {};
    DiskSpace space;
    const auto fragment = static_cast<std::int64_t>(st.f_frsize != 0 ? st.f_frsize : st.f_bsize);
    space.available = static_cast<std::int64_t>(st.f_bavail) * fragment;
    // The fragment size is the unit that blocks are counted in; the block size, when larger, is
    // the unit files are given (FUSE drivers of FAT and exFAT report their cluster there).
    space.unit = std::max<std::int64_t>({1, fragment, static_cast<std::int64_t>(st.f_bsize)});
    space.sized = st.f_blocks != 0;
    return space;
}

namespace {

constexpr long kFatMagic = 0x4d44;      // the kernel's own FAT driver (vfat, msdos)
constexpr long kFuseMagic = 0x65735546; // any FUSE file system

// The type of the mount with the device `dev` as /proc/self/mountinfo names it ("fuse.fusefat");
// empty when it is not listed. A FUSE mount's device number is its own.
std::string mountType(dev_t dev) {
    std::ifstream info("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    std::string line;
    while (std::getline(info, line)) {
        std::istringstream fields(line);
        std::string id, parent, device;
        fields >> id >> parent >> device;
        if (device != wanted)
            continue;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos)
            return {};
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return {};
}

} // namespace

std::optional<std::int64_t> largestFileSize(const std::string& path) {
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0)
        return std::nullopt;
    if (static_cast<long>(fs.f_type) == kFatMagic)
        return kFatLargestFile;
    if (static_cast<long>(fs.f_type) != kFuseMagic)
        return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    const std::string type = mountType(st.st_dev);
    if (type == "fuse.fusefat" || type == "fuse.vfat")
        return kFatLargestFile;
    return std::nullopt;
}

std::vector<std::string> machineIdFiles() {
    // systemd's file, and the older D-Bus one of systems without systemd.
    return {"/etc/machine-id", "/var/lib/dbus/machine-id"};
}

std::optional<std::uint32_t> systemVolumeSerial() {
    // Linux identifies the installation by its machine id instead.
    return std::nullopt;
}

} // namespace tarvela::platform
