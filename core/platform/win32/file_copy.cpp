#include "platform/file_copy.h"

#include "platform/win32/wide_path.h"

#include <cerrno>
#include <functional>
#include <iterator>
#include <mutex>
#include <random>
#include <vector>

namespace tarvela::platform {
namespace {

using win32::Handle;

// From this size the copy bypasses the system cache (the engine's threshold for its huge files).
constexpr std::int64_t kNoBufferingFrom = 210763776;

CopyResult failure(DWORD error) {
    const int err = win32::errnoOf(error);
    if (err == EACCES)
        return {CopyStatus::AccessDenied, err};
    return {CopyStatus::Failed, err};
}

// The copy's named temporary file in the destination's folder; removed on destruction unless it
// was published under the destination's name. (Windows has no unnamed files.)
class TempName {
public:
    explicit TempName(const std::string& destination) {
        const auto slash = destination.find_last_of("/\\");
        const std::string folder = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
        std::random_device rd;
        // The process in the name tells a later scan whether the file is a leftover.
        name_ = folder + ".tarvela-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(rd() % 100000000) + ".part";
        wide_ = win32::widePath(name_);
    }
    ~TempName() {
        if (!published_) {
            ::SetFileAttributesW(wide_.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(wide_.c_str());
        }
    }
    TempName(const TempName&) = delete;
    TempName& operator=(const TempName&) = delete;

    const std::wstring& wide() const { return wide_; }
    void published() { published_ = true; }

private:
    std::string name_;
    std::wstring wide_;
    bool published_ = false;
};

struct ProgressState {
    const CopyProgress* progress;
    std::int64_t reported = 0;
    BOOL cancel = FALSE;
    bool stopped = false;
};

// Reads `path` from start to end, handing each block to `onData`; `bytes` receives how many bytes
// there were. 0, or the system's error.
DWORD readBack(const std::wstring& path, const std::function<void(const unsigned char*, std::size_t)>& onData,
               std::int64_t& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    std::vector<unsigned char> buffer(1u << 20);
    bytes = 0;
    DWORD error = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            error = ::GetLastError();
            break;
        }
        if (got == 0)
            break;
        onData(buffer.data(), got);
        bytes += got;
    }
    ::CloseHandle(file);
    return error;
}

// Reports every kCopyChunk bytes (and the end) to the engine; its "stop" cancels the copy, and
// CopyFileExW then removes the partial file itself.
DWORD CALLBACK onProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                          HANDLE, LPVOID data) {
    auto* state = static_cast<ProgressState*>(data);
    if (!*state->progress)
        return PROGRESS_CONTINUE;
    if (done.QuadPart - state->reported < kCopyChunk && done.QuadPart < total.QuadPart)
        return PROGRESS_CONTINUE;
    if (done.QuadPart == state->reported)
        return PROGRESS_CONTINUE; // nothing new (or an empty file)
    state->reported = done.QuadPart;
    if (!(*state->progress)(done.QuadPart)) {
        state->stopped = true;
        return PROGRESS_CANCEL;
    }
    return PROGRESS_CONTINUE;
}

// Copies that took their names while their data may still be in the system cache. Windows flushes
// a whole volume only for an administrator, so they are flushed file by file, but all at once when
// syncFileSystem asks (at the end of a pair, before anything records them), not each on its own
// before its rename: the device then works through the run's data while the copying goes on, and
// most flushes find little left to write. This is the Windows form of what syncfs writes out on
// Linux; the list is bounded, so that a copy of a million files holds no more than a batch of names.
class UnflushedCopies {
public:
    void add(std::wstring path) {
        std::vector<std::wstring> batch;
        {
            const std::lock_guard lock(mutex_);
            paths_.push_back(std::move(path));
            if (paths_.size() < kBatch)
                return;
            batch.swap(paths_);
        }
        // What fails here stays on the list: the next syncFileSystem tries it again and says so.
        flushEach(std::move(batch));
    }

    // Flushes every copy on the list; 0 or the first failure. A copy that could not be flushed
    // stays on the list, so that no later call says it is on the disk before it is.
    DWORD flushAll() {
        std::vector<std::wstring> batch;
        {
            const std::lock_guard lock(mutex_);
            batch.swap(paths_);
        }
        return flushEach(std::move(batch));
    }

private:
    static constexpr std::size_t kBatch = 4096;

    // A copy that is no longer there was removed since (a later step of the run): nothing of it is
    // left to keep. A name changed only in letter case still opens (the file systems ignore case).
    DWORD flushEach(std::vector<std::wstring> paths) {
        DWORD first = 0;
        std::vector<std::wstring> failed;
        for (std::wstring& path : paths) {
            const Handle h(::CreateFileW(path.c_str(), GENERIC_WRITE, win32::kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD error = 0;
            if (!h.valid()) {
                error = ::GetLastError();
                if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                    error = 0;
            } else if (!::FlushFileBuffers(h.get())) {
                error = ::GetLastError();
            }
            if (error == 0)
                continue;
            if (first == 0)
                first = error;
            failed.push_back(std::move(path));
        }
        if (!failed.empty()) {
            const std::lock_guard lock(mutex_);
            paths_.insert(paths_.end(), std::make_move_iterator(failed.begin()), std::make_move_iterator(failed.end()));
        }
        return first;
    }

    std::mutex mutex_;
    std::vector<std::wstring> paths_;
};

UnflushedCopies& unflushedCopies() {
    static UnflushedCopies copies;
    return copies;
}

// Sets the copy's last-write time. CopyFileExW keeps the source's attributes (read-only among
// them), which do not stop this: the handle asks only for write access to data and attributes.
// A read-only copy is written to the device here, before it gets the destination's name (a later
// flush could not open it for writing); `flushed` says so. The others are flushed with the batch.
DWORD finishTemp(const std::wstring& temp, const std::optional<FileTime>& lastWrite, bool& flushed) {
    DWORD attributes = ::GetFileAttributesW(temp.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        ::SetFileAttributesW(temp.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    {
        const Handle h(
            ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid())
            return ::GetLastError();
        if (lastWrite) {
            const FILETIME ft = win32::filetimeOf(*lastWrite);
            ::SetFileTime(h.get(), nullptr, nullptr, &ft); // FAT keeps 2-second steps; not a failure
        }
        if (readOnly && !::FlushFileBuffers(h.get()))
            return ::GetLastError();
    }
    flushed = readOnly;
    if (readOnly)
        ::SetFileAttributesW(temp.c_str(), attributes);
    return 0;
}

// Replaces the destination by the complete copy in one step; a read-only destination too, as on
// Linux, where only the folder's permission counts.
DWORD publish(const std::wstring& temp, const std::wstring& destination) {
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(temp.c_str(), destination.c_str(), kFlags))
        return 0;
    DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(destination.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        ::SetFileAttributesW(destination.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
        if (::MoveFileExW(temp.c_str(), destination.c_str(), kFlags))
            return 0;
        error = ::GetLastError();
        ::SetFileAttributesW(destination.c_str(), attributes);
    }
    return error;
}

} // namespace

CopyResult copyFile(const std::string& from, const std::string& to, const CopyOptions& options,
                    const CopyProgress& progress) {
    const std::wstring source = win32::widePath(from);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {CopyStatus::SourceMissing, ENOENT};
        return failure(error);
    }
    // A link on the medium is refused, never followed; one in a user's folder is copied as its file.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !options.followSourceLink)
        return {CopyStatus::NotRegular, ELOOP};
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The size and time are the target's.
        const Handle target(::CreateFileW(source.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!target.valid() || !::GetFileInformationByHandle(target.get(), &info))
            return {CopyStatus::SourceMissing, ENOENT};
        data.dwFileAttributes = info.dwFileAttributes;
        data.nFileSizeHigh = info.nFileSizeHigh;
        data.nFileSizeLow = info.nFileSizeLow;
        data.ftLastWriteTime = info.ftLastWriteTime;
    }
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return {CopyStatus::NotRegular, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR : EINVAL};
    const auto size =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);

    TempName temp(to);
    ProgressState state{&progress};
    DWORD flags = COPY_FILE_FAIL_IF_EXISTS;
    if (options.bypassCache || size >= kNoBufferingFrom)
        flags |= COPY_FILE_NO_BUFFERING;
    if (!::CopyFileExW(source.c_str(), temp.wide().c_str(), onProgress, &state, &state.cancel, flags)) {
        const DWORD error = ::GetLastError();
        if (state.stopped || error == ERROR_REQUEST_ABORTED)
            return {CopyStatus::Stopped, 0};
        if (error == ERROR_FILE_NOT_FOUND)
            return {CopyStatus::SourceMissing, ENOENT};
        return failure(error);
    }
    // Where CopyFileExW calls no progress routine (Wine's does not), the engine still hears of the
    // end, and a stop asked for meanwhile still keeps the old destination.
    if (progress && state.reported < size && !progress(size))
        return {CopyStatus::Stopped, 0};

    // A checksum sees what was written: CopyFileExW never shows its data, so the finished temporary
    // is read back once and handed over block by block; then the caller may still refuse it, and the
    // old destination stays.
    if (options.onData || options.accept) {
        std::int64_t copied = size;
        if (options.onData) {
            if (const DWORD error = readBack(temp.wide(), options.onData, copied); error != 0)
                return failure(error);
        }
        if (options.accept && !options.accept(copied))
            return {CopyStatus::Rejected, 0};
    }

    const std::optional<FileTime> lastWrite =
        options.lastWrite ? options.lastWrite : std::optional<FileTime>(win32::fileTimeOf(data.ftLastWriteTime));
    bool flushed = false;
    if (const DWORD error = finishTemp(temp.wide(), lastWrite, flushed); error != 0)
        return failure(error);
    std::wstring destination = win32::widePath(to);
    if (const DWORD error = publish(temp.wide(), destination); error != 0)
        return failure(error);
    temp.published();
    if (!flushed)
        unflushedCopies().add(std::move(destination));
    return {CopyStatus::Done, 0};
}

bool isNoSpaceError(int error) {
    // A full disk and a used-up quota both arrive as ENOSPC (see errnoOf).
    return error == ENOSPC;
}

bool isLeftoverCopyTemporary(std::string_view name) {
    if (!isCopyTemporaryName(name))
        return false;
    std::string_view rest = name.substr(std::string_view(".tarvela-").size());
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 10)
        return true;
    unsigned long long pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9')
            return true;
        pid = pid * 10 + static_cast<unsigned>(c - '0');
    }
    if (pid == 0 || pid > MAXDWORD)
        return true;
    const Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    if (!process.valid())
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process (else: another user's)
    DWORD code = 0;
    return ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

SizeQuery querySize(const std::string& path, bool followLink) {
    const std::wstring wide = win32::widePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return {-1, win32::errnoOf(::GetLastError())};
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!followLink)
            return {0, 0}; // a link, not a regular file
        const Handle target(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!target.valid() || !::GetFileInformationByHandle(target.get(), &info))
            return {-1, win32::errnoOf(::GetLastError())};
        data.dwFileAttributes = info.dwFileAttributes;
        data.nFileSizeHigh = info.nFileSizeHigh;
        data.nFileSizeLow = info.nFileSizeLow;
    }
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return {0, 0};
    return {static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow), 0};
}

bool syncFileSystem(const std::string& path, int* error) {
    // Every copy made since the last call, wherever it went (a superset of what lies on `path`'s
    // volume); then the folder must still be there.
    DWORD failed = unflushedCopies().flushAll();
    if (failed == 0 && ::GetFileAttributesW(win32::widePath(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        failed = ::GetLastError();
    if (failed == 0)
        return true;
    if (error != nullptr)
        *error = win32::errnoOf(failed);
    return false;
}

} // namespace tarvela::platform
