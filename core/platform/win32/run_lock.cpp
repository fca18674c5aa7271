#include "platform/run_lock.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

namespace tarvela::platform {

std::unique_ptr<RunLock> RunLock::tryAcquire(const std::string& folder) {
    const std::string path = folder + "/" + kFileName;
    // The lock file lies on the medium: a link planted there is opened as itself (and refused), and
    // only a regular file is taken.
    win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, win32::kShareAll,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid()) {
        const DWORD error = ::GetLastError();
        // The user knows the medium, not our lock file: name the medium's folder.
        if (error == ERROR_WRITE_PROTECT)
            throw FileError(msg::kReadOnlyMedium, folder, 0);
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(error));
    }
    if (!win32::isRegularFile(h.get()))
        throw FileError(msg::kNotRegularFile, path, 0);
    // The lock belongs to the handle: a second open in this process is refused too. The system
    // releases it when the process ends, however it ends.
    OVERLAPPED whole{};
    if (!::LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return nullptr;
    const int fd = win32::descriptorOf(h.release());
    if (fd < 0)
        throw FileError(msg::kCannotOpenFile, path, EMFILE);
    return std::unique_ptr<RunLock>(new RunLock(fd));
}

RunLock::~RunLock() {
    win32::closeDescriptor(fd_);
}

} // namespace tarvela::platform
