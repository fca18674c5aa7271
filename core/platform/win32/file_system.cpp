#include "platform/file_system.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"
#include "base/windows_names.h"

#include <cerrno>

namespace tarvela::platform {
namespace {

// Attributes of what the path names, a link followed; INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD attributesFollowed(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return attributes;
    const win32::Handle h(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h.valid() || !::GetFileInformationByHandle(h.get(), &info))
        return INVALID_FILE_ATTRIBUTES;
    return info.dwFileAttributes;
}

bool isFolderAttribute(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

} // namespace

bool fileExists(const std::string& path) {
    const DWORD attributes = attributesFollowed(win32::widePath(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool folderExists(const std::string& path) {
    return isFolderAttribute(attributesFollowed(win32::widePath(path)));
}

void createFolders(const std::string& path) {
    if (path.empty() || folderExists(path))
        return;
    // Create each missing component from the top down; a drive ("C:") or a server share
    // ("\\server\share") at the start is not a folder to create.
    std::size_t pos = 0;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        pos = path.find_first_of("/\\", 2);
        if (pos != std::string::npos)
            pos = path.find_first_of("/\\", pos + 1);
    } else if (path.size() >= 2 && path[1] == ':') {
        pos = 2;
    }
    while (pos != std::string::npos) {
        pos = path.find_first_of("/\\", pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty() || folderExists(part))
            continue;
        if (!::CreateDirectoryW(win32::widePath(part).c_str(), nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS)
                throw FileError(msg::kCannotCreateFolder, path, win32::errnoOf(error));
        }
    }
    if (!folderExists(path))
        throw FileError(msg::kCannotCreateFolder, path, ENOTDIR);
}

PathKind pathKindNoFollow(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::widePath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing : PathKind::Other;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return PathKind::Link;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathKind::Folder;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return PathKind::Other;
    return PathKind::File;
}

void openForWriting(const std::string& path) {
    const win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, win32::kShareAll,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid())
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(::GetLastError()));
}

std::string linkBelow(const std::string& base, const std::string& path) {
    if (!path.starts_with(base))
        return {};
    for (std::size_t end = base.size(); end < path.size();) {
        auto separator = path.find_first_of("/\\", end + 1);
        if (separator == std::string::npos)
            separator = path.size();
        const std::string part = path.substr(0, separator);
        end = separator;
        if (part.size() <= base.size() || isSeparator(part.back()))
            continue;
        const DWORD attributes = ::GetFileAttributesW(win32::widePath(part).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return {};
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return part; // a symbolic link or a junction
    }
    return {};
}

int createFolder(const std::string& path) {
    if (::CreateDirectoryW(win32::widePath(path).c_str(), nullptr))
        return 0;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
        return win32::errnoOf(error);
    return folderExists(path) ? 0 : ENOTDIR;
}

std::optional<FolderIdentity> folderIdentity(const std::string& path) {
    const win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h.valid() || !::GetFileInformationByHandle(h.get(), &info) || !isFolderAttribute(info.dwFileAttributes))
        return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber,
                          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

RenameResult renameNoReplace(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the rename refuses to replace what stands at `to`.
    if (::MoveFileExW(win32::widePath(from).c_str(), win32::widePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return RenameResult::Done;
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? RenameResult::Taken : RenameResult::Failed;
}

bool renameLetterCase(const std::string& from, const std::string& to) {
    return ::MoveFileExW(win32::widePath(from).c_str(), win32::widePath(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

NameCase nameCaseOf(const std::string& folder) {
    // Named as a copy temporary, so that a probe left by a killed run is never scanned as the
    // user's file and the next scan of the folder removes it. The upper-case name is never made:
    // when it can be looked up, the file system took it for the lower-case one.
    const std::wstring lower = win32::widePath(folder + ".tarvela-case-probe.part");
    const std::wstring upper = win32::widePath(folder + ".TARVELA-CASE-PROBE.PART");
    // The probe changes the folder's last-write time; it is put back afterwards, so that a receive
    // that changed nothing in the folder leaves it (and so its table entry) as it was.
    std::string self = folder;
    while (self.size() > 3 && (self.back() == '/' || self.back() == '\\'))
        self.pop_back();
    const win32::Handle dir(::CreateFileW(win32::widePath(self).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                          win32::kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    FILETIME written{};
    const bool timeKnown = dir.valid() && ::GetFileTime(dir.get(), nullptr, nullptr, &written);
    NameCase rule = NameCase::Folds;
    {
        const win32::Handle probe(::CreateFileW(lower.c_str(), GENERIC_WRITE, win32::kShareAll, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid() && ::GetFileAttributesW(lower.c_str()) == INVALID_FILE_ATTRIBUTES)
            return NameCase::Unknown; // the folder cannot be written
        if (::GetFileAttributesW(upper.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            rule = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NameCase::Distinct
                                                                                  : NameCase::Unknown;
        }
        ::DeleteFileW(lower.c_str());
    } // the probe is gone once its handle is closed
    if (timeKnown)
        ::SetFileTime(dir.get(), nullptr, nullptr, &written);
    return rule;
}

// Volumes mounted at folders of NTFS are rare on the computers this serves; each pair folder is
// taken to have one rule.
std::vector<std::string> mountPointsBelow(const std::string&) {
    return {};
}

std::optional<FileTime> lastWriteTime(const std::string& path) {
    const win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILETIME written{};
    if (!h.valid() || !::GetFileTime(h.get(), nullptr, nullptr, &written))
        return std::nullopt;
    return win32::fileTimeOf(written);
}

bool sameContents(const std::string& a, const std::string& b) {
    const win32::Handle fa(::CreateFileW(win32::widePath(a).c_str(), GENERIC_READ, win32::kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const win32::Handle fb(::CreateFileW(win32::widePath(b).c_str(), GENERIC_READ, win32::kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!fa.valid() || !fb.valid())
        return false;
    constexpr DWORD kChunk = 1 << 16;
    std::string ba(kChunk, '\0');
    std::string bb(kChunk, '\0');
    for (;;) {
        DWORD na = 0;
        DWORD nb = 0;
        if (!::ReadFile(fa.get(), ba.data(), kChunk, &na, nullptr))
            return false;
        // Read the same amount from b.
        while (nb < na) {
            DWORD got = 0;
            if (!::ReadFile(fb.get(), bb.data() + nb, na - nb, &got, nullptr) || got == 0)
                break;
            nb += got;
        }
        if (na != nb || std::string_view(ba.data(), na) != std::string_view(bb.data(), nb))
            return false;
        if (na == 0) {
            char extra = 0;
            DWORD got = 0;
            return ::ReadFile(fb.get(), &extra, 1, &got, nullptr) && got == 0;
        }
    }
}

bool removeFile(const std::string& path) {
    const std::wstring wide = win32::widePath(path);
    if (::DeleteFileW(wide.c_str()))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string executableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".\\";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return win32::utf8Of(path.substr(0, path.rfind(L'\\') + 1));
}

char pathSeparator() {
    return '\\';
}

bool canHoldName(std::string_view relative) {
    return windowsCanHoldName(relative);
}

} // namespace tarvela::platform
