#include "platform/disk_info.h"

#include <algorithm>
#include <sys/statvfs.h>

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

std::vector<std::string> machineIdFiles() {
    // systemd's file, and the older D-Bus one of systems without systemd.
    return {"/etc/machine-id", "/var/lib/dbus/machine-id"};
}

} // namespace tarvela::platform
