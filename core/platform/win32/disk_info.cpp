#include "platform/disk_info.h"

#include "platform/win32/wide_path.h"

namespace tarvela::platform {

std::int64_t availableBytes(const std::string& path) {
    ULARGE_INTEGER available{};
    std::wstring folder = win32::widePath(path);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return -1;
    return static_cast<std::int64_t>(available.QuadPart);
}

std::vector<std::string> machineIdFiles() {
    // Windows keeps no machine-id file; the computer is known by its system volume's serial.
    return {};
}

std::optional<std::uint32_t> systemVolumeSerial() {
    wchar_t windows[MAX_PATH] = {};
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n < 3 || n >= MAX_PATH || windows[1] != L':')
        return std::nullopt;
    const wchar_t root[] = {windows[0], L':', L'\\', L'\0'};
    DWORD serial = 0;
    if (!::GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return std::nullopt;
    return static_cast<std::uint32_t>(serial);
}

} // namespace tarvela::platform
