#include "platform/file_patch.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

#include <algorithm>
#include <cerrno>

namespace tarvela::platform {

FilePatch::FilePatch(std::string path) : path_(std::move(path)) {
    // A link is opened as itself (and refused), and nothing is created.
    win32::Handle h(::CreateFileW(win32::widePath(path_).c_str(), GENERIC_WRITE, win32::kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid())
        throw FileError(msg::kCannotWriteFile, path_, win32::errnoOf(::GetLastError()));
    if (!win32::isRegularFile(h.get()))
        throw FileError(msg::kCannotWriteFile, path_, EINVAL);
    fd_ = win32::descriptorOf(h.release());
    if (fd_ < 0)
        throw FileError(msg::kCannotWriteFile, path_, EMFILE);
}

FilePatch::~FilePatch() {
    if (fd_ >= 0)
        win32::closeDescriptor(fd_);
}

void FilePatch::resize(std::int64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = size;
    if (!::SetFilePointerEx(win32::handleOf(fd_), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(win32::handleOf(fd_)))
        throw FileError(msg::kCannotWriteFile, path_, win32::errnoOf(::GetLastError()));
}

void FilePatch::writeAt(std::int64_t offset, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        OVERLAPPED at{};
        const auto position = static_cast<std::uint64_t>(offset) + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD wrote = 0;
        if (!::WriteFile(win32::handleOf(fd_), p + done, want, &wrote, &at))
            throw FileError(msg::kCannotWriteFile, path_, win32::errnoOf(::GetLastError()));
        done += wrote;
    }
}

void FilePatch::commit() {
    const bool flushed = ::FlushFileBuffers(win32::handleOf(fd_)) != 0;
    const DWORD error = flushed ? 0 : ::GetLastError();
    win32::closeDescriptor(fd_);
    fd_ = -1;
    if (!flushed)
        throw FileError(msg::kCannotWriteFile, path_, win32::errnoOf(error));
}

} // namespace tarvela::platform
