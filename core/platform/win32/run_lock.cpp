#include "platform/run_lock.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

namespace tarvela::platform {

std::unique_ptr<RunLock> RunLock::tryAcquire(const std::string& folder) {
    const std::string path = folder + "/" + kFileName;
    win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, win32::kShareAll,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid())
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(::GetLastError()));
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
