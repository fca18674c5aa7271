#include "platform/atomic_file.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

#include <cerrno>
#include <random>

namespace tarvela::platform {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

// Renames the complete file over the target; the rename reaches the device before it returns.
DWORD replaceTarget(const std::string& temp, const std::string& target) {
    const std::wstring from = win32::widePath(temp);
    const std::wstring to = win32::widePath(target);
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    DWORD error = ::GetLastError();
    // A read-only target is replaced as on Linux, where only the folder's permission counts.
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(to.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        error = ::GetLastError();
        ::SetFileAttributesW(to.c_str(), attributes);
    }
    return error;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : target_(std::move(targetPath)) {
    std::random_device rd;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temp_ = target_ + ".tmp" + std::to_string(rd() % 1000000);
        const HANDLE h = ::CreateFileW(win32::widePath(temp_).c_str(), GENERIC_WRITE, win32::kShareAll, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            fd_ = win32::descriptorOf(h);
            break;
        }
        error = ::GetLastError();
    }
    if (fd_ < 0)
        throw FileError(msg::kCannotWriteFile, target_, win32::errnoOf(error));
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0) {
        win32::closeDescriptor(fd_);
        fd_ = -1;
        ::DeleteFileW(win32::widePath(temp_).c_str());
    }
}

void AtomicFileWriter::write(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize)
        flushBuffer();
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
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer_.size() - done, 1u << 30));
        DWORD wrote = 0;
        if (!::WriteFile(win32::handleOf(fd_), buffer_.data() + done, want, &wrote, nullptr)) {
            const int err = win32::errnoOf(::GetLastError());
            discard();
            throw FileError(msg::kCannotWriteFile, target_, err);
        }
        done += wrote;
    }
    written_ += static_cast<long long>(buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::commit() {
    if (fd_ < 0)
        throw FileError(msg::kCannotWriteFile, target_, EBADF);
    flushBuffer();
    if (!::FlushFileBuffers(win32::handleOf(fd_))) {
        const int err = win32::errnoOf(::GetLastError());
        discard();
        throw FileError(msg::kCannotWriteFile, target_, err);
    }
    win32::closeDescriptor(fd_);
    fd_ = -1;
    if (const DWORD error = replaceTarget(temp_, target_); error != 0) {
        ::DeleteFileW(win32::widePath(temp_).c_str());
        throw FileError(msg::kCannotWriteFile, target_, win32::errnoOf(error));
    }
}

bool isAtomicTemporaryName(std::string_view name) {
    const auto at = name.rfind(".tmp");
    if (at == std::string_view::npos || at == 0 || at + 4 == name.size())
        return false;
    for (const char c : name.substr(at + 4)) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void removeAtomicLeftovers(const std::string& folder) {
    const std::wstring wide = win32::widePath(folder);
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileExW((wide + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        // Regular files only: a folder or a link of that name is left alone.
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (!isAtomicTemporaryName(win32::utf8Of(data.cFileName)))
            continue;
        ::DeleteFileW((wide + L"\\" + data.cFileName).c_str());
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

void writeFileAtomically(const std::string& path, const void* data, std::size_t size) {
    AtomicFileWriter writer(path);
    writer.write(data, size);
    writer.commit();
}

} // namespace tarvela::platform
