#include "platform/directory.h"

#include "platform/win32/wide_path.h"

namespace tarvela::platform {
namespace {

using win32::Handle;

// A folder is held open (as on Linux) so that it cannot be swapped for a link between being checked
// and being listed; the reparse point itself is opened, never its target.
HANDLE openFolder(const std::wstring& path, bool followLink) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    Handle h(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr,
                           OPEN_EXISTING, flags, nullptr));
    if (!h.valid())
        return INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h.get(), &info))
        return INVALID_HANDLE_VALUE;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return INVALID_HANDLE_VALUE;
    if (!followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return INVALID_HANDLE_VALUE;
    return h.release();
}

// The open folder as the descriptor a Directory keeps; -1 when it could not be opened.
int adopt(HANDLE h) {
    return h == INVALID_HANDLE_VALUE ? -1 : win32::descriptorOf(h);
}

bool isLinkTag(DWORD tag) {
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// A link to a file is described by its target; nothing when the target is missing.
bool describeLinkTarget(const std::wstring& path, DirEntry& entry) {
    const Handle h(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid())
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h.get(), &info))
        return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        entry.kind = EntryKind::FolderLink;
        return true;
    }
    entry.kind = EntryKind::File;
    entry.mtime = win32::fileTimeOf(info.ftLastWriteTime);
    entry.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    return true;
}

} // namespace

std::unique_ptr<Directory> Directory::open(const std::string& path) {
    const int fd = adopt(openFolder(win32::widePath(path), true));
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd));
}

Directory::~Directory() {
    win32::closeDescriptor(fd_);
}

std::unique_ptr<Directory> Directory::openChild(const std::string& name) const {
    const std::wstring parent = win32::finalPathOf(win32::handleOf(fd_));
    if (parent.empty())
        return nullptr;
    const int fd = adopt(openFolder(parent + L"\\" + win32::wideOf(name), false));
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd));
}

std::vector<DirEntry> Directory::entries(bool* complete) const {
    const auto incomplete = [complete] {
        if (complete != nullptr)
            *complete = false;
    };
    std::vector<DirEntry> result;
    const std::wstring folder = win32::finalPathOf(win32::handleOf(fd_));
    if (folder.empty()) {
        incomplete();
        return result;
    }
    // Basic information (no short 8.3 names to fill in) and large fetches: one system call brings
    // many entries, with the size, time and attributes of each, so no per-file query is needed.
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            incomplete(); // there, but unreadable
        return result;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        DirEntry entry;
        entry.name = win32::utf8Of(name);
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && isLinkTag(data.dwReserved0)) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                entry.kind = EntryKind::FolderLink; // never followed
            } else if (!describeLinkTarget(folder + L"\\" + std::wstring(name), entry)) {
                continue; // dangling
            }
            result.push_back(std::move(entry));
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Its time is read when the scan opens it.
            entry.kind = EntryKind::Folder;
        } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
            entry.kind = EntryKind::Other;
        } else {
            entry.kind = EntryKind::File;
            entry.mtime = win32::fileTimeOf(data.ftLastWriteTime);
            entry.size =
                static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        }
        result.push_back(std::move(entry));
    } while (::FindNextFileW(find, &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        incomplete(); // the listing broke off
    ::FindClose(find);
    return result;
}

FileTime Directory::mtime() const {
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(win32::handleOf(fd_), FileBasicInfo, &info, sizeof info))
        return {};
    FILETIME ft{static_cast<DWORD>(info.LastWriteTime.QuadPart & 0xFFFFFFFF),
                static_cast<DWORD>(static_cast<unsigned long long>(info.LastWriteTime.QuadPart) >> 32)};
    return win32::fileTimeOf(ft);
}

} // namespace tarvela::platform
