#include "platform/trash.h"

#include "platform/win32/wide_path.h"

#include <cerrno>
#include <shellapi.h>

namespace tarvela::platform {

int moveToTrash(const std::string& path) {
    std::wstring item = win32::widePath(path);
    while (item.size() > 3 && item.back() == L'\\')
        item.pop_back();
    if (::GetFileAttributesW(item.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : win32::errnoOf(error);
    }
    // The shell's file operations take neither "\\?\" paths nor relative ones: a full classic path.
    if (item.starts_with(L"\\\\?\\"))
        return ENAMETOOLONG;
    std::wstring full(MAX_PATH, L'\0');
    const DWORD n = ::GetFullPathNameW(item.c_str(), MAX_PATH, full.data(), nullptr);
    if (n == 0 || n >= MAX_PATH)
        return ENAMETOOLONG;
    full.resize(n);
    full.push_back(L'\0'); // the list of items ends with an empty one

    // Into the recycle bin (FOF_ALLOWUNDO), with no window, question or error box of its own: the
    // engine reports a failure in its own log.
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = full.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
    const int rc = ::SHFileOperationW(&operation);
    if (rc != 0 || operation.fAnyOperationsAborted)
        return rc == 0 ? ECANCELED : EIO;
    // The shell deletes outright what it cannot put in the bin only after asking, which FOF_NO_UI
    // answers with "no"; the item then stays. Report that as a failure, not as success.
    return ::GetFileAttributesW(item.c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : EIO;
}

} // namespace tarvela::platform
