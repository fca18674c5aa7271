#pragma once
// The boundary between the engine's UTF-8 paths and the UTF-16 paths of the Win32 calls, and the
// few helpers every Win32 file of the platform layer shares.

#include "platform/directory.h"

#include <string>
#include <string_view>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarvela::platform::win32 {

// UTF-16 text of UTF-8 text (invalid sequences become U+FFFD).
std::wstring wideOf(std::string_view utf8);
// UTF-8 text of UTF-16 text.
std::string utf8Of(std::wstring_view wide);

// The path for a Win32 call: '/' turned into '\', and a path too long for the classic limit made
// absolute and given the "\\?\" prefix (which also switches off the system's own normalising,
// so "." and ".." are resolved here first).
std::wstring widePath(std::string_view utf8);

// The errno value that tells the engine what a Win32 error means (ENOENT, EACCES, ENOSPC...).
int errnoOf(DWORD error);

// An owned Win32 handle, closed on destruction.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() {
        if (valid())
            ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

// Every sharing mode: other programs (and the engine itself) may read, write, rename and delete a
// file we hold open, as on Linux.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether the open handle is a regular file: on a disk, neither a folder nor a reparse point (a
// symbolic link or junction opened as itself).
bool isRegularFile(HANDLE h);

// A FILETIME (100 ns steps since 1601) as the engine's time since 1970, and back.
FileTime fileTimeOf(const FILETIME& ft);
FILETIME filetimeOf(const FileTime& t);

// The full path of an open file or folder as the system resolved it (links followed, its own
// spelling of every name); empty when it cannot be told.
std::wstring finalPathOf(HANDLE h);

// A CRT descriptor that owns the handle (the headers keep an int); the handle behind one.
int descriptorOf(HANDLE h);
HANDLE handleOf(int fd);
void closeDescriptor(int fd);

} // namespace tarvela::platform::win32
