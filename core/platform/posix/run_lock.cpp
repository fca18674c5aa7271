#include "platform/run_lock.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvela::platform {

std::unique_ptr<RunLock> RunLock::tryAcquire(const std::string& folder) {
    const std::string path = folder + "/" + kFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw FileError(msg::kCannotOpenFile, path, errno);
    // flock belongs to the open file: a second open in this process is refused too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<RunLock>(new RunLock(fd));
}

RunLock::~RunLock() { ::close(fd_); }

} // namespace tarvela::platform
