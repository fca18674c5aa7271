#include "platform/file_lock.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {

std::unique_ptr<FileLock> FileLock::lockExisting(const std::string& path) {
    for (;;) {
        // Read access is enough for flock, so a read-only file is locked too (its rewrite fails later).
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT)
                return nullptr;
            throw FileError(msg::kCannotOpenFile, path, errno);
        }
        int rc = 0;
        while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            // A file system without locks: go on unlocked rather than refuse every change.
            return std::unique_ptr<FileLock>(new FileLock(fd));
        }
        struct stat held {};
        struct stat now {};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 && held.st_dev == now.st_dev &&
            held.st_ino == now.st_ino)
            return std::unique_ptr<FileLock>(new FileLock(fd));
        ::close(fd); // replaced while we waited: lock the new one
    }
}

FileLock::~FileLock() {
    ::close(fd_);
}

} // namespace tarvela::platform
