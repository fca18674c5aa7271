#include "platform/file_system.h"

#include "base/errors.h"
#include "base/messages.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string_view>
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
    if (path.empty())
        return;
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // One mkdir when the parent is there (the usual case), else the parents first. Nothing asks a
    // lookup beforehand, as createFolder says why.
    int error = createFolder(folder);
    if (error == ENOENT) {
        const auto slash = folder.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            createFolders(folder.substr(0, slash));
            error = createFolder(folder);
        }
    }
    if (error != 0)
        throw FileError(msg::kCannotCreateFolder, path, error);
}

int createFolder(const std::string& path) {
    // mkdir first, whatever a lookup says: a FUSE driver may still answer for a folder removed
    // under another letter case.
    if (::mkdir(path.c_str(), 0777) == 0) return 0;
    const int error = errno;
    if (error != EEXIST) return error;
    return folderExists(path) ? 0 : ENOTDIR;
}

std::optional<FolderIdentity> folderIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
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
    // Through a name of its own, each step refusing to replace: where `to` turns out to be another
    // item (the two spellings are two names after all), it is never replaced. The name in between
    // is not a copy temporary, which a scan would remove: a run killed between the two steps leaves
    // the item under it, whole.
    const std::string::size_type slash = from.find_last_of('/');
    const std::string via = from.substr(0, slash == std::string::npos ? 0 : slash + 1) + ".tarvela-respelling-" +
                            std::to_string(::getpid());
    if (renameNoReplace(from, via) != RenameResult::Done)
        return false;
    if (renameNoReplace(via, to) == RenameResult::Done)
        return true;
    // Back under its old name; should that be taken meanwhile, it stays whole under the one between.
    (void)renameNoReplace(via, from);
    return false;
}

NameCase nameCaseOf(const std::string& folder) {
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
    struct stat st {};
    if (fd < 0) {
        // A probe left by a run that was killed is looked up as one made now; a folder that
        // cannot be written (no room for the probe, read-only) leaves the rule unknown.
        if (::stat(lower.c_str(), &st) != 0)
            return NameCase::Unknown;
    } else {
        ::close(fd);
    }
    NameCase rule = NameCase::Folds;
    if (::stat(upper.c_str(), &st) != 0)
        rule = errno == ENOENT ? NameCase::Distinct : NameCase::Unknown;
    ::unlink(lower.c_str());
    restoreTime();
    return rule;
}

namespace {

// A mount point as /proc/self/mountinfo writes it: space, tab, newline and backslash as \ooo.
std::string unescapeMountField(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

std::vector<std::string> mountPointsBelow(const std::string& folder) {
    std::vector<std::string> below;
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr)
        return below;
    std::string root(resolved);
    std::free(resolved);
    if (root.back() != '/')
        root += '/';
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        // ID PARENT MAJOR:MINOR ROOT MOUNTPOINT ...
        std::istringstream fields(line);
        std::string id, parent, device, mountRoot, point;
        if (!(fields >> id >> parent >> device >> mountRoot >> point))
            continue;
        point = unescapeMountField(point);
        if (point.size() > root.size() && point.compare(0, root.size(), root) == 0)
            below.push_back(point.substr(root.size()) + "/");
    }
    std::sort(below.begin(), below.end());
    below.erase(std::unique(below.begin(), below.end()), below.end());
    std::stable_sort(below.begin(), below.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '/') < std::count(b.begin(), b.end(), '/');
    });
    return below;
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
