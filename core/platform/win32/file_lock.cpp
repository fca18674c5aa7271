#include "platform/file_lock.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/win32/wide_path.h"

#include <cwctype>

namespace tarvela::platform {
namespace {

// Windows cannot rename a file over one that is held open, so the lock cannot live on the file
// itself (its holder replaces it atomically): it is a named mutex of this computer's session, one
// per file, named after the file's full path as the system resolves it (case folded, since the
// same file has many spellings). The system releases a mutex whose holder died; the next waiter
// then owns it.
std::wstring mutexNameFor(HANDLE file) {
    const std::wstring path = win32::finalPathOf(file);
    if (path.empty())
        return {};
    // FNV-1a of the upper-cased path: a mutex name may not hold '\' and is limited in length.
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : path) {
        hash ^= static_cast<std::uint64_t>(std::towupper(static_cast<wint_t>(c)));
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    ::swprintf(name, 64, L"Local\\tarvela-file-lock-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

} // namespace

std::unique_ptr<FileLock> FileLock::lockExisting(const std::string& path) {
    std::wstring name;
    {
        const win32::Handle file(::CreateFileW(win32::widePath(path).c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return nullptr;
            throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(error));
        }
        name = mutexNameFor(file.get());
    }
    if (name.empty())
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(::GetLastError()));
    win32::Handle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex.valid())
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(::GetLastError()));
    // WAIT_ABANDONED: the last holder died holding it; the lock is ours now all the same.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        throw FileError(msg::kCannotOpenFile, path, win32::errnoOf(::GetLastError()));
    // Windows keeps handle values within 32 bits, so the header's int holds the mutex itself.
    return std::unique_ptr<FileLock>(new FileLock(static_cast<int>(reinterpret_cast<std::intptr_t>(mutex.release()))));
}

FileLock::~FileLock() {
    const auto mutex = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd_));
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

} // namespace tarvela::platform
