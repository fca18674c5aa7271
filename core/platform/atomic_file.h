#pragma once
// Writes a file whole or not at all: the data goes to a temporary file in the target's folder, is
// flushed to the device and renamed over the target only by commit(). A writer destroyed without
// commit() (an exception, a stop) removes its temporary file and leaves the old target as it was.

#include <cstddef>
#include <string>
#include <string_view>

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

// Whether a file name is that of a writer's temporary file ("NAME.tmp" and digits).
bool isAtomicTemporaryName(std::string_view name);
// Removes the temporary files that writers killed before their commit left in the folder (not
// below it). Only for a folder that no writer is using now (the run lock of a store folder).
void removeAtomicLeftovers(const std::string& folder);

// Convenience: replaces the file at path with exactly these bytes, atomically.
void writeFileAtomically(const std::string& path, const void* data, std::size_t size);

} // namespace tarvela::platform
