#include "platform/atomic_file.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <random>
#include <unistd.h>

namespace tarvela::platform {
namespace {

// Written out (and its write-back started) every 256 KB: a larger buffer saves few calls and
// costs a page fault for every 4 KB of it in each writer.
constexpr std::size_t kBufferSize = 256 << 10;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Syncs the folder so that the rename itself survives a power loss.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool isAtomicTemporaryName(std::string_view name) {
    const auto at = name.rfind(".tmp");
    if (at == std::string_view::npos || at == 0 || at + 4 == name.size()) return false;
    for (const char c : name.substr(at + 4)) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

void removeAtomicLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const int fd = ::dirfd(dir);
    while (const dirent* d = ::readdir(dir)) {
        if (!isAtomicTemporaryName(d->d_name)) continue;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            ::unlinkat(fd, d->d_name, 0);
        }
    }
    ::closedir(dir);
}

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : target_(std::move(targetPath)) {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_ + ".tmp" + std::to_string(rd() % 1000000);
        // 0666 less the umask, as an ordinary new file gets.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) throw FileError(msg::kCannotWriteFile, target_, errno);
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(temp_.c_str());
    }
}

void AtomicFileWriter::write(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize) flushBuffer();
    if (size >= kBufferSize) {
        buffer_.assign(p, size);
        flushBuffer();
        return;
    }
    buffer_.append(p, size);
}

void AtomicFileWriter::flushBuffer() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            discard();
            throw FileError(msg::kCannotWriteFile, target_, err);
        }
        done += static_cast<std::size_t>(n);
    }
    // Start writing this part to the device now, so that the final fsync has little left to wait
    // for and the device works while the caller goes on producing data.
    ::sync_file_range(fd_, written_, static_cast<off64_t>(buffer_.size()), SYNC_FILE_RANGE_WRITE);
    written_ += static_cast<long long>(buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::commit() {
    if (fd_ < 0) throw FileError(msg::kCannotWriteFile, target_, EBADF);
    flushBuffer();
    if (::fsync(fd_) != 0 && errno != EINVAL) {
        const int err = errno;
        discard();
        throw FileError(msg::kCannotWriteFile, target_, err);
    }
    if (::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        ::unlink(temp_.c_str());
        throw FileError(msg::kCannotWriteFile, target_, err);
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        throw FileError(msg::kCannotWriteFile, target_, err);
    }
    syncFolder(folderOf(target_));
}

void writeFileAtomically(const std::string& path, const void* data, std::size_t size) {
    AtomicFileWriter writer(path);
    writer.write(data, size);
    writer.commit();
}

} // namespace tarvela::platform
