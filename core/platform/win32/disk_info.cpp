#include "platform/disk_info.h"

#include "platform/win32/wide_path.h"

#include <algorithm>

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

DiskSpace diskSpace(const std::string& path) {
    std::wstring folder = win32::widePath(path);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, &total, nullptr))
        return {};
    DiskSpace space;
    space.available = static_cast<std::int64_t>(available.QuadPart);
    space.sized = total.QuadPart != 0;
    // The cluster: every file that is not empty takes a whole number of them.
    wchar_t root[MAX_PATH] = {};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (::GetVolumePathNameW(folder.c_str(), root, MAX_PATH) &&
        ::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        space.unit = std::max<std::int64_t>(1, static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector);
    }
    return space;
}

std::optional<std::int64_t> largestFileSize(const std::string& path) {
    std::wstring folder = win32::widePath(path);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    wchar_t root[MAX_PATH] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(folder.c_str(), root, MAX_PATH) ||
        !::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return std::nullopt;
    const std::wstring name(fileSystem);
    if (name == L"FAT32" || name == L"FAT")
        return kFatLargestFile;
    return std::nullopt;
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
