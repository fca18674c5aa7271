#include "platform/removal.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::platform {
namespace {

// A folder opened below its parent without following a link, read as a directory stream.
class FolderStream {
public:
    FolderStream(int parentFd, const char* name) {
        const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        dir_ = ::fdopendir(fd);
        if (dir_ == nullptr) {
            error_ = errno;
            ::close(fd);
        }
    }
    ~FolderStream() {
        if (dir_ != nullptr) ::closedir(dir_);
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    bool open() const { return dir_ != nullptr; }
    int error() const { return error_; }
    int fd() const { return ::dirfd(dir_); }

    // The next entry but "." and ".."; null at the end.
    const dirent* next() {
        while (const dirent* d = ::readdir(dir_)) {
            const std::string_view name = d->d_name;
            if (name != "." && name != "..") return d;
        }
        return nullptr;
    }

    // Whether the entry is a real folder (never a link to one).
    bool isFolder(const dirent* d) const {
        if (d->d_type != DT_UNKNOWN) return d->d_type == DT_DIR;
        struct stat st {};
        return ::fstatat(fd(), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }

private:
    DIR* dir_ = nullptr;
    int error_ = 0;
};

std::int64_t countBelow(int parentFd, const char* name) {
    FolderStream folder(parentFd, name);
    std::int64_t count = 1;
    if (!folder.open()) return count;
    while (const dirent* d = folder.next()) count += folder.isFolder(d) ? countBelow(folder.fd(), d->d_name) : 1;
    return count;
}

class TreeRemover {
public:
    explicit TreeRemover(const std::function<void()>& removed) : removed_(removed) {}

    void remove(int parentFd, const char* name, bool folder) {
        if (folder) {
            FolderStream stream(parentFd, name);
            if (stream.open()) {
                while (const dirent* d = stream.next()) remove(stream.fd(), d->d_name, stream.isFolder(d));
            } else if (stream.error() == ENOTDIR || stream.error() == ELOOP) {
                folder = false; // swapped for a file or a link meanwhile: remove that instead
            } else if (stream.error() != ENOENT) {
                note(stream.error());
                return;
            }
        }
        if (::unlinkat(parentFd, name, folder ? AT_REMOVEDIR : 0) == 0 || errno == ENOENT) {
            if (removed_) removed_();
        } else {
            note(errno);
        }
    }

    int firstError() const { return firstError_; }

private:
    void note(int err) {
        if (firstError_ == 0) firstError_ = err;
    }

    const std::function<void()>& removed_;
    int firstError_ = 0;
};

// The path without trailing separators: "dir/" would make the last component follow a link.
std::string trimmed(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

bool removable(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string_view last = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return !last.empty() && last != "." && last != "..";
}

} // namespace

std::int64_t countTree(const std::string& path) {
    const std::string p = trimmed(path);
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return 0;
    return S_ISDIR(st.st_mode) ? countBelow(AT_FDCWD, p.c_str()) : 1;
}

int removeTree(const std::string& path, const std::function<void()>& removed) {
    const std::string p = trimmed(path);
    if (!removable(p)) return EINVAL;
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    TreeRemover remover(removed);
    remover.remove(AT_FDCWD, p.c_str(), S_ISDIR(st.st_mode));
    return remover.firstError();
}

} // namespace tarvela::platform
