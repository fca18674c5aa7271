#include "platform/run_lock.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {

std::unique_ptr<RunLock> RunLock::tryAcquire(const std::string& folder) {
    const std::string path = folder + "/" + kFileName;
    // The lock file lies on the medium: a link planted there is not followed (it would create or
    // lock a file anywhere), and only a regular file is taken.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP) throw FileError(msg::kNotRegularFile, path, 0);
        // The user knows the medium, not our lock file: name the medium's folder.
        if (err == EROFS) throw FileError(msg::kReadOnlyMedium, folder, 0);
        throw FileError(msg::kCannotOpenFile, path, err);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(msg::kNotRegularFile, path, 0);
    }
    // flock belongs to the open file: a second open in this process is refused too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<RunLock>(new RunLock(fd));
}

RunLock::~RunLock() { ::close(fd_); }

} // namespace tarvela::platform
