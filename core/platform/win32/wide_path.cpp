#include "platform/win32/wide_path.h"

#include <cerrno>
#include <io.h>

namespace tarvela::platform::win32 {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long kEpochDifference = 11644473600LL;
constexpr long long kTicksPerSecond = 10000000LL;

// The classic limit less room for a name the caller may still append (a temporary name).
constexpr std::size_t kShortPathLimit = MAX_PATH - 20;

} // namespace

std::wstring wideOf(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string utf8Of(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring widePath(std::string_view utf8) {
    std::wstring path = wideOf(utf8);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    if (path.size() < kShortPathLimit || path.starts_with(L"\\\\?\\"))
        return path;
    // Resolve ".", ".." and a relative start, which "\\?\" paths do not get.
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n)
        return path;
    full.resize(got);
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2); // \\server\share\...
    return L"\\\\?\\" + full;
}

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_SUPPORTED:
        return ENOSYS;
    default:
        return EIO;
    }
}

FileTime fileTimeOf(const FILETIME& ft) {
    const long long ticks =
        static_cast<long long>((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    long long seconds = ticks / kTicksPerSecond;
    long long rest = ticks % kTicksPerSecond;
    return {seconds - kEpochDifference, static_cast<std::int32_t>(rest * 100)};
}

FILETIME filetimeOf(const FileTime& t) {
    const long long ticks = (t.seconds + kEpochDifference) * kTicksPerSecond + t.nanoseconds / 100;
    const auto u = static_cast<unsigned long long>(ticks < 0 ? 0 : ticks);
    return {static_cast<DWORD>(u & 0xFFFFFFFFu), static_cast<DWORD>(u >> 32)};
}

bool isRegularFile(HANDLE h) {
    if (::GetFileType(h) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info))
        return false;
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

int descriptorOf(HANDLE h) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
    if (fd < 0)
        ::CloseHandle(h);
    return fd;
}

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

void closeDescriptor(int fd) {
    if (fd >= 0)
        ::_close(fd);
}

std::wstring finalPathOf(HANDLE h) {
    std::wstring path(512, L'\0');
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
}

} // namespace tarvela::platform::win32
