#include "platform/file_system.h"

#include "base/errors.h"
#include "base/messages.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
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

RenameResult renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return RenameResult::Done;
    if (errno == EEXIST) return RenameResult::Taken;
    if (errno != EINVAL && errno != ENOSYS) return RenameResult::Failed;
    // File systems without the flag (FUSE drivers among them): a hard link where there is one,
    // else a look before the plain rename.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return RenameResult::Done;
    }
    if (errno == EEXIST) return RenameResult::Taken;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return RenameResult::Taken;
    return ::rename(from.c_str(), to.c_str()) == 0 ? RenameResult::Done : RenameResult::Failed;
}

bool renameLetterCase(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool namesFoldCase(const std::string& folder) {
    // Named as a copy temporary, so that a probe left by a killed run is never scanned as the
    // user's file and the next scan of the folder removes it.
    const std::string lower = folder + ".tarvela-case-probe.part";
    const std::string upper = folder + ".TARVELA-CASE-PROBE.PART";
    // The upper-case name is never made: when it can be looked up, the file system took it for the
    // lower-case one. (Inode numbers cannot tell: FUSE drivers may give each lookup its own.)
    // The probe changes the folder's last-write time; it is put back afterwards, so that a receive
    // that changed nothing in the folder leaves it (and so its table entry) as it was.
    struct stat before {};
    const bool timeKnown = ::stat(folder.c_str(), &before) == 0;
    const auto restoreTime = [&] {
        if (!timeKnown) return;
        const struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
        ::utimensat(AT_FDCWD, folder.c_str(), times, 0);
    };
    const int fd = ::open(lower.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A probe left by a run that was killed, or a folder that cannot be written.
        struct stat st {};
        if (::stat(lower.c_str(), &st) == 0) {
            const bool folds = ::stat(upper.c_str(), &st) == 0;
            ::unlink(lower.c_str());
            restoreTime();
            return folds;
        }
        return true;
    }
    ::close(fd);
    struct stat st {};
    const bool folds = ::stat(upper.c_str(), &st) == 0;
    ::unlink(lower.c_str());
    restoreTime();
    return folds;
}

std::optional<FileTime> lastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileTime{st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
}

bool sameContents(const std::string& a, const std::string& b) {
    const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
    if (fa < 0) return false;
    const int fb = ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
    if (fb < 0) {
        ::close(fa);
        return false;
    }
    constexpr std::size_t kChunk = 1 << 16;
    std::string ba(kChunk, '\0'), bb(kChunk, '\0');
    bool same = true;
    while (same) {
        const ssize_t na = ::read(fa, ba.data(), kChunk);
        ssize_t nb = 0;
        // Read the same amount from b (short reads happen on pipes and FUSE).
        while (na > 0 && nb < na) {
            const ssize_t r = ::read(fb, bb.data() + nb, static_cast<std::size_t>(na - nb));
            if (r <= 0) break;
            nb += r;
        }
        if (na < 0 || na != nb || std::string_view(ba.data(), static_cast<std::size_t>(na)) !=
                                      std::string_view(bb.data(), static_cast<std::size_t>(nb))) {
            same = false;
        } else if (na == 0) {
            char extra = 0;
            same = ::read(fb, &extra, 1) == 0;
            break;
        }
    }
    ::close(fa);
    ::close(fb);
    return same;
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
