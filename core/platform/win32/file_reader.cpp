#include "platform/file_reader.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

#include <cerrno>

namespace tarvela::platform {

FileReader::FileReader(std::string path) : path_(std::move(path)) {
    // Everything read through here comes from the medium, which anyone may have prepared: a link is
    // opened as itself (and refused), and nothing but a regular file is read.
    win32::Handle h(::CreateFileW(win32::widePath(path_).c_str(), GENERIC_READ, win32::kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid()) {
        const DWORD error = ::GetLastError();
        // A folder cannot be opened as a file; say so as on Linux.
        const DWORD attributes = ::GetFileAttributesW(win32::widePath(path_).c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (folder)
            throw FileError(msg::kNotRegularFile, path_, 0);
        throw FileError(msg::kCannotOpenFile, path_, win32::errnoOf(error));
    }
    if (!win32::isRegularFile(h.get()))
        throw FileError(msg::kNotRegularFile, path_, 0);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h.get(), &size))
        throw FileError(msg::kCannotReadFile, path_, win32::errnoOf(::GetLastError()));
    size_ = size.QuadPart;
    fd_ = win32::descriptorOf(h.release());
    if (fd_ < 0)
        throw FileError(msg::kCannotOpenFile, path_, EMFILE);
}

FileReader::~FileReader() {
    win32::closeDescriptor(fd_);
}

std::size_t FileReader::read(void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(win32::handleOf(fd_), p + done, want, &got, nullptr))
            throw FileError(msg::kCannotReadFile, path_, win32::errnoOf(::GetLastError()));
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace tarvela::platform
