#include "platform/file_system.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void openForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw FileError(msg::kCannotOpenFile, path, errno);
    ::close(fd);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void createFolders(const std::string& path) {
    if (path.empty() || folderExists(path)) return;
    // Create each missing component from the top down.
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty()) continue;
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            throw FileError(msg::kCannotCreateFolder, path, errno);
        }
    }
    if (!folderExists(path)) throw FileError(msg::kCannotCreateFolder, path, ENOTDIR);
}

PathKind pathKindNoFollow(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    if (S_ISLNK(st.st_mode)) return PathKind::Link;
    return PathKind::Other;
}

std::string linkBelow(const std::string& base, const std::string& path) {
    if (!path.starts_with(base)) return {};
    for (std::size_t end = base.size(); end < path.size();) {
        auto slash = path.find('/', end + 1);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(0, slash);
        end = slash;
        if (part.size() <= base.size() || part.back() == '/') continue;
        struct stat st {};
        if (::lstat(part.c_str(), &st) != 0) return {};
        if (S_ISLNK(st.st_mode)) return part;
    }
    return {};
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    // The medium (FAT, exFAT) has neither hard links nor a reliable no-replace flag; the files this
    // renames live in a store folder that the run holds locked.
    if (pathKindNoFollow(to) != PathKind::Missing) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string executableFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

char pathSeparator() {
    return '/';
}

bool canHoldName(std::string_view) {
    // Every byte but '/' and NUL, which a relative name from a checked table never has inside a name.
    return true;
}

} // namespace tarvela::platform
