#include "platform/disk_info.h"

#include <sys/statvfs.h>

namespace tarvela::platform {

std::int64_t availableBytes(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return -1;
    // Blocks free for unprivileged users (the reserve for root left out), in fragment-size units.
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
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
