#pragma once
// An exclusive lock on a file that is replaced atomically (written beside it, renamed over it): it
// keeps two processes from reading, changing and rewriting the same file at once, so that neither
// rewrite loses the other's change. The system releases it when its holder exits.

#include <memory>
#include <string>

namespace tarvela::platform {

class FileLock {
public:
    // Waits for the lock of the file now at `path`. A rename over the path while waiting makes it
    // lock the new file instead, so the holder always reads the latest version. Null when no file
    // is there (nothing is created). Throws FileError when the file cannot be opened.
    static std::unique_ptr<FileLock> lockExisting(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace tarvela::platform
