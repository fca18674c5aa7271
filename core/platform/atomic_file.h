#pragma once
// Writes a file whole or not at all: the data goes to a temporary file in the target's folder, is
// flushed to the device and renamed over the target only by commit(). A writer destroyed without
// commit() (an exception, a stop) removes its temporary file and leaves the old target as it was.

#include <cstddef>
#include <string>

namespace tarvela::platform {

class AtomicFileWriter {
public:
    // Creates the temporary file; throws FileError when it cannot.
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Appends bytes (buffered); throws FileError on a failed write.
    void write(const void* data, std::size_t size);
    // Flushes, syncs and renames over the target; throws FileError on failure (the target is then
    // untouched and the temporary file removed).
    void commit();

    const std::string& targetPath() const { return target_; }

private:
    void flushBuffer();
    void discard() noexcept;

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    long long written_ = 0;
    std::string buffer_;
};

// Convenience: replaces the file at path with exactly these bytes, atomically.
void writeFileAtomically(const std::string& path, const void* data, std::size_t size);

} // namespace tarvela::platform
