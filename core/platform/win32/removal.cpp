#include "platform/removal.h"

#include "platform/win32/wide_path.h"

#include <cerrno>

namespace tarvela::platform {
namespace {

// A real folder: a link to one (symbolic link or junction) is a reparse point and is removed itself.
bool isRealFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Calls visit(path, attributes) for every entry of the folder but "." and "..".
template <typename Visit> DWORD forEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..")
            visit(folder + L"\\" + std::wstring(name), data.dwFileAttributes);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return 0;
}

std::int64_t countBelow(const std::wstring& folder) {
    std::int64_t count = 1;
    forEachEntry(folder, [&](const std::wstring& path, DWORD attributes) {
        count += isRealFolder(attributes) ? countBelow(path) : 1;
    });
    return count;
}

// Removes one file or link; a read-only file too, as Linux removes it from a writable folder.
DWORD removeOne(const std::wstring& path, DWORD attributes) {
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const auto remove = [&] { return folder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str()); };
    if (remove())
        return 0;
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
        if (remove())
            return 0;
        error = ::GetLastError();
        ::SetFileAttributesW(path.c_str(), attributes);
    }
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
}

class TreeRemover {
public:
    explicit TreeRemover(const std::function<void()>& removed) : removed_(removed) {}

    void remove(const std::wstring& path, DWORD attributes) {
        if (isRealFolder(attributes)) {
            const DWORD error = forEachEntry(
                path, [&](const std::wstring& child, DWORD childAttributes) { remove(child, childAttributes); });
            if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
                error != ERROR_NO_MORE_FILES) {
                note(error);
                return;
            }
        }
        if (const DWORD error = removeOne(path, attributes); error != 0) {
            note(error);
        } else if (removed_) {
            removed_();
        }
    }

    int firstError() const { return firstError_; }

private:
    void note(DWORD error) {
        if (firstError_ == 0)
            firstError_ = win32::errnoOf(error);
    }

    const std::function<void()>& removed_;
    int firstError_ = 0;
};

// The path without trailing separators.
std::wstring trimmed(const std::string& path) {
    std::wstring p = win32::widePath(path);
    while (p.size() > 1 && p.back() == L'\\')
        p.pop_back();
    return p;
}

bool removable(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    const std::wstring_view last = std::wstring_view(path).substr(slash == std::wstring::npos ? 0 : slash + 1);
    return !last.empty() && last != L"." && last != L".." && !last.ends_with(L':');
}

} // namespace

std::int64_t countTree(const std::string& path) {
    const std::wstring p = trimmed(path);
    const DWORD attributes = ::GetFileAttributesW(p.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return isRealFolder(attributes) ? countBelow(p) : 1;
}

// The tree is walked here rather than handed to the shell's delete: each removed entry is
// reported for the progress bar, and a link or junction inside is removed itself, its target never
// entered.
int removeTree(const std::string& path, const std::function<void()>& removed) {
    const std::wstring p = trimmed(path);
    if (!removable(p))
        return EINVAL;
    const DWORD attributes = ::GetFileAttributesW(p.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : win32::errnoOf(error);
    }
    TreeRemover remover(removed);
    remover.remove(p, attributes);
    return remover.firstError();
}

} // namespace tarvela::platform
