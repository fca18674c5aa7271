#pragma once
// An exclusive lock that keeps two runs, from two windows or two processes, from working on one
// profile's transfer store at once. The system releases it when its holder exits, however it ends.

#include <memory>
#include <string>

namespace tarvela::platform {

class RunLock {
public:
    // Takes the lock of the folder (creating its lock file there); null when another holder has it.
    // Throws FileError when the lock file cannot be created.
    static std::unique_ptr<RunLock> tryAcquire(const std::string& folder);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    static constexpr const char* kFileName = ".tarvela-run.lock";

private:
    explicit RunLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace tarvela::platform
