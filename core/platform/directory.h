#pragma once
// One folder's entries with what the scan needs of each: read with one directory read per folder
// and one status query per entry. Folders are opened relative to their parent, so a deep tree
// costs no repeated path resolution.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvela::platform {

struct FileTime {
    std::int64_t seconds = 0;     // since 1970-01-01 UTC
    std::int32_t nanoseconds = 0; // 0..999 999 999
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

enum class EntryKind {
    File,        // a regular file, or a symbolic link to one (described by its target)
    Folder,      // a real folder (never a link to one)
    FolderLink,  // a symbolic link to a folder: never followed
    Other,       // devices, pipes, sockets, dangling links: never listed
};

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;
    FileTime mtime;
    std::int64_t size = 0;
};

class Directory {
public:
    // Opens a folder by path; null when it cannot be read.
    static std::unique_ptr<Directory> open(const std::string& path);
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Opens the subfolder `name` of this folder without following a symbolic link; null when it
    // cannot be read.
    std::unique_ptr<Directory> openChild(const std::string& name) const;

    // Every entry but "." and "..", in the order the file system returns them. *complete (when
    // given) turns false when the folder could not be read to its end or an entry could not be
    // looked at (other than one that vanished meanwhile): the list then lacks entries that exist.
    std::vector<DirEntry> entries(bool* complete = nullptr) const;

    // Last-write time of the folder itself.
    FileTime mtime() const;

private:
    explicit Directory(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace tarvela::platform
