#include "platform/file_reader.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {

FileReader::FileReader(std::string path) : path_(std::move(path)) {
    // Everything read through here comes from the medium, which anyone may have prepared: a link is
    // not followed (it could reach any file of this computer), and nothing but a regular file is read
    // (a FIFO would not even open without O_NONBLOCK, a device could be endless).
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
        const int err = errno;
        if (err == ELOOP) throw FileError(msg::kNotRegularFile, path_, 0);
        throw FileError(msg::kCannotOpenFile, path_, err);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw FileError(msg::kCannotReadFile, path_, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw FileError(msg::kNotRegularFile, path_, 0);
    }
    size_ = st.st_size;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FileReader::read(void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd_, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(msg::kCannotReadFile, path_, errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

} // namespace tarvela::platform
