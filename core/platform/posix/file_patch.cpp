#include "platform/file_patch.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {

FilePatch::FilePatch(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) throw FileError(msg::kCannotWriteFile, path_, errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        throw FileError(msg::kCannotWriteFile, path_, err);
    }
}

FilePatch::~FilePatch() {
    if (fd_ >= 0) ::close(fd_);
}

void FilePatch::resize(std::int64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw FileError(msg::kCannotWriteFile, path_, errno);
}

void FilePatch::writeAt(std::int64_t offset, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(msg::kCannotWriteFile, path_, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void FilePatch::commit() {
    if (::fsync(fd_) != 0 && errno != EINVAL) throw FileError(msg::kCannotWriteFile, path_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw FileError(msg::kCannotWriteFile, path_, errno);
}

} // namespace tarvela::platform
