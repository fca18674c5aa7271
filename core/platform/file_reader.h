#pragma once
// Sequential reading of a file from the medium, with its size known up front.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvela::platform {

class FileReader {
public:
    // Opens the file for reading; throws FileError when it cannot, when a symbolic link stands at
    // the path (it is not followed) and when what stands there is not a regular file.
    explicit FileReader(std::string path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::int64_t size() const { return size_; }
    // Reads up to size bytes; returns how many were read (less only at the end of the file).
    // Throws FileError on a read error.
    std::size_t read(void* data, std::size_t size);

private:
    std::string path_;
    int fd_ = -1;
    std::int64_t size_ = 0;
};

} // namespace tarvela::platform
