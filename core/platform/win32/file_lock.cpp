#include "platform/file_lock.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

namespace tarvela::platform {
namespace {

bool sameFile(HANDLE held, const std::wstring& path) {
    const win32::Handle now(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return now.valid() && ::GetFileInformationByHandle(held, &a) && ::GetFileInformationByHandle(now.get(), &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace

std::unique_ptr<FileLock> FileLock::lockExisting(const std::string& path) {
    const std::wstring wide = win32::widePath(path);
    for (;;) {
        // Shared for everything, deletion included: the holder's own atomic rewrite renames over
        // this file while it is held.
        win32::Handle h(::CreateFileW(wide.c_str(), GENERIC_READ, win32::kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return nullptr;
            throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(error));
        }
        OVERLAPPED whole{};
        // The whole file, however long; waits for another holder. A file system without locks:
        // go on unlocked rather than refuse every change.
        const bool locked = ::LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
        if (!locked || sameFile(h.get(), wide)) {
            const int fd = win32::descriptorOf(h.release());
            if (fd < 0) throw FileError(msg::kCannotOpenFile, path, EMFILE);
            return std::unique_ptr<FileLock>(new FileLock(fd));
        }
        // Replaced while we waited: lock the new one.
    }
}

FileLock::~FileLock() { win32::closeDescriptor(fd_); }

} // namespace tarvela::platform
