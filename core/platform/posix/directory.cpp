#include "platform/directory.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarvela::platform {
namespace {

FileTime timeOf(const struct stat& st) { return {st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec)}; }

// The record that getdents64 fills in; glibc declares no type for it.
struct LinuxDirent {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

constexpr int kOpenFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

std::unique_ptr<Directory> Directory::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd));
}

Directory::~Directory() { ::close(fd_); }

std::unique_ptr<Directory> Directory::openChild(const std::string& name) const {
    const int fd = ::openat(fd_, name.c_str(), kOpenFolderFlags);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Directory>(new Directory(fd));
}

std::vector<DirEntry> Directory::entries(bool* complete) const {
    std::vector<DirEntry> result;
    const auto incomplete = [complete] {
        if (complete != nullptr) *complete = false;
    };
    // getdents64 straight on our descriptor: one read per 32 KiB of names, no stream to set up.
    // Each Directory is read once, so moving its read offset is harmless.
    alignas(8) char buffer[32768];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd_, buffer, sizeof buffer);
        if (n < 0) incomplete();
        if (n <= 0) break; // end, or a folder that cannot be read: what was read stays
        for (long pos = 0; pos < n;) {
            const auto* d = reinterpret_cast<const LinuxDirent*>(buffer + pos);
            pos += d->d_reclen;
            const std::string_view name = d->d_name;
            if (name == "." || name == "..") continue;
            DirEntry entry;
            entry.name.assign(name);
            if (d->d_type == DT_DIR) {
                // Its time is read when the scan opens it; no status query needed here.
                entry.kind = EntryKind::Folder;
                result.push_back(std::move(entry));
                continue;
            }
            struct stat st {};
            if (::fstatat(fd_, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) incomplete(); // not vanished: there, but out of reach
                continue;
            }
            if (S_ISREG(st.st_mode)) {
                entry.kind = EntryKind::File;
            } else if (S_ISDIR(st.st_mode)) {
                entry.kind = EntryKind::Folder;
            } else if (S_ISLNK(st.st_mode)) {
                // A link is described by its target; a link to a folder is marked and never entered.
                if (::fstatat(fd_, d->d_name, &st, 0) != 0) continue; // dangling
                entry.kind = S_ISREG(st.st_mode)   ? EntryKind::File
                             : S_ISDIR(st.st_mode) ? EntryKind::FolderLink
                                                   : EntryKind::Other;
            } else {
                entry.kind = EntryKind::Other;
            }
            entry.mtime = timeOf(st);
            entry.size = entry.kind == EntryKind::File ? st.st_size : 0;
            result.push_back(std::move(entry));
        }
    }
    return result;
}

FileTime Directory::mtime() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return {};
    return timeOf(st);
}

} // namespace tarvela::platform
