#include "platform/file_copy.h"

#include "platform/posix/descriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarvela::platform {
namespace {

// The copy's file until it is complete. Where the file system allows it, an unnamed file in the
// destination's folder (O_TMPFILE): while it is written it has no name, so not even a crash or a
// kill can leave it behind, and a complete copy of a new file gets its name in one step. Elsewhere
// (FAT) a named temporary file, recognisable by its name. Either is gone on destruction unless it
// was published under the destination's name.
class TempFile {
public:
    TempFile(const std::string& destination, bool allowUnnamed) {
        const auto slash = destination.rfind('/');
        folder_ = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
        // An unnamed file is linked through /proc (as unprivileged programs can); without /proc the
        // named kind is used. Whether /proc is there does not change while the program runs.
        static const bool canLinkUnnamed = ::access("/proc/self/fd", X_OK) == 0;
        if (allowUnnamed && canLinkUnnamed) {
            fd_ = ::open(folder_.empty() ? "." : folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (fd_ >= 0) return;
            // EISDIR: a kernel without O_TMPFILE.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                error_ = errno;
                return;
            }
        }
        // The process in the name tells a later scan whether the file is a leftover.
        name_ = folder_ + ".tarvela-" + std::to_string(::getpid()) + "-XXXXXX.part";
        fd_ = ::mkostemps(name_.data(), 5, O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errno;
            name_.clear();
        }
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    int error() const { return error_; }

    // Gives the complete copy the destination's name, replacing an existing destination at once.
    int publish(const std::string& destination) {
        if (name_.empty()) {
            const int err = linkAs(destination);
            if (err == 0) {
                if (const int closeErr = closeFile(); closeErr != 0) {
                    ::unlink(destination.c_str());
                    return closeErr;
                }
                return 0;
            }
            if (err != EEXIST) return err;
            // The destination exists: it is replaced through a named link and a rename.
            if (const int linkErr = linkUnderTemporaryName(); linkErr != 0) return linkErr;
        }
        if (const int err = closeFile(); err != 0) return err;
        if (::rename(name_.c_str(), destination.c_str()) != 0) return errno;
        name_.clear();
        return 0;
    }

private:
    int closeFile() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

    // Links the unnamed file under `name`.
    int linkAs(const std::string& name) const {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    }

    int linkUnderTemporaryName() {
        const std::string base = folder_ + ".tarvela-" + std::to_string(::getpid()) + "-" + std::to_string(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = base + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + ".part";
            const int err = linkAs(name);
            if (err == 0) {
                name_ = name;
                return 0;
            }
            if (err != EEXIST) return err;
        }
        return EEXIST;
    }

    std::string folder_; // ending with '/', or empty for the current folder
    std::string name_;   // the temporary file's name while it has one
    int fd_ = -1;
    int error_ = 0;
};

CopyResult failure(int err) {
    if (err == EACCES || err == EPERM) return {CopyStatus::AccessDenied, err};
    return {CopyStatus::Failed, err};
}

// The kernel's copy path is missing for this pair of files: copy through a buffer instead.
bool kernelCopyUnsupported(int err) { return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP; }

// Copies up to `length` bytes at `offset` through `buffer`; the bytes copied, 0 at the end of the
// source, -1 with errno set on failure.
ssize_t copyThroughBuffer(int in, int out, off_t offset, std::size_t length, std::vector<char>& buffer,
                          const CopyOptions& options) {
    if (buffer.size() < length) buffer.resize(length);
    ssize_t got;
    do {
        got = ::pread(in, buffer.data(), length, offset);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return got;
    if (options.onData)
        options.onData(reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<std::size_t>(got));
    std::size_t written = 0;
    while (written < static_cast<std::size_t>(got)) {
        const ssize_t n = ::pwrite(out, buffer.data() + written, static_cast<std::size_t>(got) - written,
                                   offset + static_cast<off_t>(written));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        written += static_cast<std::size_t>(n);
    }
    return got;
}

// Keeps a large copy out of the page cache without the alignment rules of O_DIRECT: the source's
// pages are dropped once read; each written chunk is sent to the device at once, and whatever lies
// more than kWindow behind the copy's end is waited for and dropped. So at most about kWindow of
// the copy is cached at any time, while the device works on several chunks as the copy goes on.
class CacheBypass {
public:
    CacheBypass(int in, int out) : in_(in), out_(out) {}

    // After the chunk [offset, offset + length) was copied; 0 or the errno of a failed write-out.
    int chunkDone(off_t offset, off_t length) {
        ::posix_fadvise(in_, offset, length, POSIX_FADV_DONTNEED);
        if (::sync_file_range(out_, offset, length, SYNC_FILE_RANGE_WRITE) != 0) return errno;
        const off_t end = offset + length;
        if (end - settled_ > kWindow) {
            const off_t upTo = end - kWindow;
            constexpr unsigned kWait =
                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
            if (::sync_file_range(out_, settled_, upTo - settled_, kWait) != 0) return errno;
            ::posix_fadvise(out_, settled_, upTo - settled_, POSIX_FADV_DONTNEED);
            settled_ = upTo;
        }
        return 0;
    }

    // Makes the whole copy durable (by now only the last window is still on its way) and drops
    // what is left of it from the cache.
    int finish() {
        if (::fdatasync(out_) != 0) return errno;
        ::posix_fadvise(out_, 0, 0, POSIX_FADV_DONTNEED);
        return 0;
    }

private:
    static constexpr off_t kWindow = 4 * kCopyChunk;

    int in_;
    int out_;
    off_t settled_ = 0; // written, waited for and dropped up to here
};

} // namespace

CopyResult copyFile(const std::string& from, const std::string& to, const CopyOptions& options,
                    const CopyProgress& progress) {
    // O_NONBLOCK: a FIFO standing at the source must not hang the open; a regular file ignores it.
    const int noFollow = options.followSourceLink ? 0 : O_NOFOLLOW;
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | noFollow));
    if (in.get() < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return {CopyStatus::SourceMissing, err};
        if (err == ELOOP && !options.followSourceLink) return {CopyStatus::NotRegular, err};
        return failure(err);
    }
    struct stat source {};
    if (::fstat(in.get(), &source) != 0) return failure(errno);
    if (!S_ISREG(source.st_mode)) return {CopyStatus::NotRegular, S_ISDIR(source.st_mode) ? EISDIR : EINVAL};

    TempFile temp(to, options.unnamedTemporary);
    if (temp.fd() < 0) return failure(temp.error());
    const int out = temp.fd();
    // Read-ahead only helps beyond one chunk; a small file is read by a single call.
    if (source.st_size > kCopyChunk) ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    CacheBypass bypass(in.get(), out);
    bool kernelCopy = !options.onData;
    std::vector<char> buffer;
    std::int64_t done = 0;
    while (done < source.st_size) {
        const auto length = static_cast<std::size_t>(std::min(kCopyChunk, source.st_size - done));
        ssize_t n;
        if (kernelCopy) {
            off_t inOffset = done;
            off_t outOffset = done;
            n = ::copy_file_range(in.get(), &inOffset, out, &outOffset, length, 0);
            if (n < 0 && kernelCopyUnsupported(errno)) {
                kernelCopy = false;
                continue;
            }
        } else {
            n = copyThroughBuffer(in.get(), out, done, std::min<std::size_t>(length, 1 << 20), buffer, options);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        if (n == 0) break; // the source shrank while it was copied: the copy holds what was there
        if (options.bypassCache) {
            if (const int err = bypass.chunkDone(done, n); err != 0) return failure(err);
        }
        done += n;
        if (progress && !progress(done)) return {CopyStatus::Stopped, 0};
    }
    if (options.bypassCache) {
        if (const int err = bypass.finish(); err != 0) return failure(err);
    }
    if (options.accept && !options.accept(done)) return {CopyStatus::Rejected, 0};

    // Permission bits without set-id bits; a file system that cannot keep them (FAT) refuses
    // quietly, which is no reason to lose the copy.
    ::fchmod(out, source.st_mode & 0777);
    const timespec lastWrite = options.lastWrite
                                   ? timespec{options.lastWrite->seconds, options.lastWrite->nanoseconds}
                                   : source.st_mtim;
    const timespec times[2] = {source.st_atim, lastWrite};
    ::futimens(out, times);

    if (const int err = temp.publish(to); err != 0) return failure(err);
    return {CopyStatus::Done, 0};
}

bool isNoSpaceError(int error) {
    return error == ENOSPC || error == EDQUOT;
}

bool isLeftoverCopyTemporary(std::string_view name) {
    if (!isCopyTemporaryName(name)) return false;
    std::string_view rest = name.substr(std::string_view(".tarvela-").size());
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 10) return true;
    long long pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return true;
        pid = pid * 10 + (c - '0');
    }
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return true;
    // Alive (EPERM: alive, but another user's): not a leftover.
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

SizeQuery querySize(const std::string& path, bool followLink) {
    struct stat st {};
    const int rc = followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (rc != 0) return {-1, errno == ENOTDIR ? ENOENT : errno};
    return {S_ISREG(st.st_mode) ? st.st_size : 0, 0};
}

bool syncFileSystem(const std::string& path, int* error) {
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    const bool ok = fd.get() >= 0 && ::syncfs(fd.get()) == 0;
    if (!ok && error != nullptr) *error = errno;
    return ok;
}

} // namespace tarvela::platform
