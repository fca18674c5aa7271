#include "platform/trash.h"

#include "platform/posix/descriptor.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarvela::platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int kMaxNameAttempts = 10000;

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string homeTrashPath() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return std::string(data) + "/Trash";
    }
    std::string home;
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] == '/') {
        home = h;
    } else {
        std::vector<char> buf(16384);
        passwd pw{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr) return {};
        home = found->pw_dir;
    }
    return home + "/.local/share/Trash";
}

// Device of the path or of its nearest existing parent.
dev_t deviceOf(std::string path) {
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0 && path != "/" && path != ".") path = parentOf(path);
    return st.st_dev;
}

// Creates the folder `name` below parentFd with mode 0700 when missing and opens it. With
// `mustBeOwn` the folder must be a real folder (not a link) owned by this user, as a trash folder
// shared with other users' folders on a removable disk must be.
Descriptor openTrashFolder(int parentFd, const char* name, bool mustBeOwn) {
    if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST) return Descriptor();
    Descriptor fd(::openat(parentFd, name, kFolderFlags | (mustBeOwn ? O_NOFOLLOW : 0)));
    if (!fd.valid() || !mustBeOwn) return fd;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || st.st_uid != ::getuid()) {
        errno = EPERM;
        return Descriptor();
    }
    return fd;
}

struct TrashFolder {
    Descriptor files;
    Descriptor info;
    std::string relativeTo; // Path= is written relative to this folder; empty for absolute
};

bool openParts(Descriptor trash, TrashFolder& out) {
    if (!trash.valid()) return false;
    out.files = openTrashFolder(trash.get(), "files", true);
    out.info = openTrashFolder(trash.get(), "info", true);
    return out.files.valid() && out.info.valid();
}

int openHomeTrash(const std::string& path, TrashFolder& out) {
    // The folders above the trash are ordinary user folders; the trash itself is private.
    const std::string parent = parentOf(path);
    for (std::size_t pos = 1; pos != std::string::npos;) {
        pos = parent.find('/', pos + 1);
        if (::mkdir(parent.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    // The user may have made the home trash a link to another folder of theirs: that is honoured.
    return openParts(Descriptor(::open(path.c_str(), kFolderFlags)), out) ? 0 : errno;
}

// The trash at the top of the file system `device` that holds the folder `folder`.
int openTopTrash(const std::string& folder, dev_t device, TrashFolder& out) {
    std::string top = folder;
    while (top != "/") {
        const std::string up = parentOf(top);
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != device) break;
        top = up;
    }
    Descriptor topFd(::open(top.c_str(), kFolderFlags));
    if (!topFd.valid()) return errno;
    out.relativeTo = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());

    // $topdir/.Trash/$uid only when .Trash is a real folder with the sticky bit: otherwise anybody
    // could have prepared it to catch other users' files.
    struct stat shared {};
    if (::fstatat(topFd.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) != 0) {
        const Descriptor sharedFd(::openat(topFd.get(), ".Trash", kFolderFlags | O_NOFOLLOW));
        if (sharedFd.valid() && openParts(openTrashFolder(sharedFd.get(), uid.c_str(), true), out)) return 0;
    }
    const std::string own = ".Trash-" + uid;
    return openParts(openTrashFolder(topFd.get(), own.c_str(), true), out) ? 0 : errno;
}

// Percent-encoding of a path as in URLs: every byte but the unreserved characters and '/'.
std::string encodePath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                           std::string_view("-_.!~*'()/").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::string localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// The trash name: the item's own name, cut so that NAME.trashinfo fits in a file name (never inside
// a UTF-8 character), then NAME.2, NAME.3... until one is free.
std::string candidateName(const std::string& base, int attempt) {
    constexpr std::size_t kMaxBase = NAME_MAX - 32;
    std::string name = base;
    if (name.size() > kMaxBase) {
        std::size_t cut = kMaxBase;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return attempt == 0 ? name : name + "." + std::to_string(attempt + 1);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Renames without ever replacing an existing entry.
int renameNoReplace(const std::string& from, int toFolder, const std::string& name) {
    if (::renameat2(AT_FDCWD, from.c_str(), toFolder, name.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: look first (the name was reserved by the info file).
    struct stat st {};
    if (::fstatat(toFolder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return ::renameat(AT_FDCWD, from.c_str(), toFolder, name.c_str()) == 0 ? 0 : errno;
}

} // namespace

int moveToTrash(const std::string& path) {
    std::string item = path;
    while (item.size() > 1 && item.back() == '/') item.pop_back();
    struct stat st {};
    if (::lstat(item.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;

    // The original path names the item itself (a link stays a link), below its resolved folder.
    const auto slash = item.rfind('/');
    const std::string base = slash == std::string::npos ? item : item.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") return EINVAL;
    char* resolved = ::realpath(parentOf(item).c_str(), nullptr);
    if (resolved == nullptr) return errno;
    const std::string folder = resolved;
    std::free(resolved);
    const std::string original = (folder == "/" ? "" : folder) + "/" + base;

    TrashFolder trash;
    const std::string home = homeTrashPath();
    const bool useHome = !home.empty() && deviceOf(home) == st.st_dev;
    if (const int err = useHome ? openHomeTrash(home, trash) : openTopTrash(folder, st.st_dev, trash); err != 0) {
        return err;
    }

    const std::string shownPath = trash.relativeTo.empty() ? original : original.substr(trash.relativeTo.size() + 1);
    const std::string info =
        "[Trash Info]\nPath=" + encodePath(shownPath) + "\nDeletionDate=" + localNow() + "\n";
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const std::string name = candidateName(base, attempt);
        const std::string infoName = name + ".trashinfo";
        // Creating the info file with O_EXCL is what reserves the name, also against other programs.
        const Descriptor infoFd(
            ::openat(trash.info.get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!infoFd.valid()) {
            if (errno == EEXIST) continue;
            return errno;
        }
        int result = writeAll(infoFd.get(), info) ? 0 : errno;
        if (result == 0) result = renameNoReplace(item, trash.files.get(), name);
        if (result == 0) return 0;
        ::unlinkat(trash.info.get(), infoName.c_str(), 0);
        if (result != EEXIST) return result;
    }
    return EEXIST;
}

} // namespace tarvela::platform
