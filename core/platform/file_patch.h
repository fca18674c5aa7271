#pragma once
// Changes parts of an existing file where they stand, for a file whose few changed bytes are cheaper
// to write than the whole file again. Unlike AtomicFileWriter this is not atomic: between the
// first write and commit() the file is neither the old nor the new one, so it is only for a file
// whose readers detect that on their own (a table guarded by its check file).

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvela::platform {

class FilePatch {
public:
    // Opens the regular file at path for writing, without following a symbolic link and without
    // creating it; throws FileError when it cannot.
    explicit FilePatch(std::string path);
    ~FilePatch();
    FilePatch(const FilePatch&) = delete;
    FilePatch& operator=(const FilePatch&) = delete;

    // Sets the file's length: cut, or extended with zero bytes. Throws FileError.
    void resize(std::int64_t size);
    // Writes the bytes at `offset`. Throws FileError.
    void writeAt(std::int64_t offset, const void* data, std::size_t size);
    // Puts what was written on the device and closes the file. Throws FileError.
    void commit();

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace tarvela::platform
