// A slow drive for the benchmarks: a FUSE file system that passes everything through to a folder
// and moves file data at a fixed rate, as a cheap USB flash drive does.
//
//   throttled_drive [--rate BYTES_PER_SECOND] [--fsync-ms MS] [--stats FILE] BACKING_FOLDER MOUNT_POINT
//                   [FUSE options]
//
// With --stats, the bytes read and written and the flushes are counted per file and written to FILE
// (the largest first) when the drive is unmounted: where a program's time on the drive goes.
//
// The device is one queue: a transfer of n bytes starts when the one before it has ended and lasts
// n / rate seconds. Default: 8 000 000 bytes/s, 5 ms per flush.
// - A write is taken into the system's write cache at once and queued for the device (the writer
//   waits only when more than kCacheBytes are still on their way), as the kernel's page cache does
//   for a real drive.
// - A read waits for the queue and then for its own transfer.
// - An fsync (and fdatasync) waits until everything queued is written, plus MS milliseconds: a
//   flush of a FAT-like file system writes its allocation table and directory entry in small
//   writes, whatever the file's size. An fsync of a folder (`sync MOUNT_POINT`) waits the same way:
//   it is how a benchmark waits until a drive is safe to unplug. A flush of the whole file system
//   (syncfs, `sync` without a file) is not passed on by FUSE and costs nothing.
//
// The kernel's page cache is not used for reading (every open drops what was cached), so every
// byte read crosses the queue, as on a drive that was just plugged in. Metadata (lookups, folders,
// renames) is not charged beyond FUSE's own cost. Unmount with `umount MOUNT_POINT`.
#define FUSE_USE_VERSION 35
#include <fuse3/fuse.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double g_rate = 8'000'000.0;
std::chrono::microseconds g_flush_cost{5000};
std::string g_backing;

// The device's queue: when the last transfer queued ends.
std::mutex g_mutex;
Clock::time_point g_busy_until{};
// Writes still on their way to the device, at most (the write cache): past it, a writer waits.
constexpr double kCacheBytes = 64.0 * 1024 * 1024;

std::chrono::nanoseconds durationOf(std::size_t bytes) {
    return std::chrono::nanoseconds(static_cast<long long>(static_cast<double>(bytes) * 1e9 / g_rate));
}

// Queues `duration` of device time and returns when it ends.
Clock::time_point queue(std::chrono::nanoseconds duration) {
    const std::lock_guard lock(g_mutex);
    const auto now = Clock::now();
    g_busy_until = (g_busy_until > now ? g_busy_until : now) + duration;
    return g_busy_until;
}

void cachedWrite(std::size_t bytes) {
    const auto end = queue(durationOf(bytes));
    std::this_thread::sleep_until(end - durationOf(static_cast<std::size_t>(kCacheBytes)));
}

void waitFor(std::chrono::nanoseconds duration) { std::this_thread::sleep_until(queue(duration)); }

// Per file: bytes read, bytes written, flushes.
struct Traffic {
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    std::uint64_t flushes = 0;
};
std::string g_stats_file;
std::mutex g_stats_mutex;
std::map<std::string, Traffic> g_stats;

void count(const char* path, std::uint64_t Traffic::*field, std::uint64_t amount) {
    if (g_stats_file.empty() || path == nullptr) return;
    const std::lock_guard lock(g_stats_mutex);
    g_stats[path].*field += amount;
}

void writeStats() {
    if (g_stats_file.empty()) return;
    std::vector<std::pair<std::string, Traffic>> rows(g_stats.begin(), g_stats.end());
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a.second.read + a.second.written > b.second.read + b.second.written;
    });
    Traffic total;
    for (const auto& [path, t] : rows) {
        total.read += t.read;
        total.written += t.written;
        total.flushes += t.flushes;
    }
    std::ofstream out(g_stats_file, std::ios::app);
    out << "total: read " << total.read << " B, written " << total.written << " B, " << total.flushes
        << " flushes, " << rows.size() << " files\n";
    for (std::size_t k = 0; k < rows.size() && k < 12; ++k)
        out << "  " << rows[k].first << ": read " << rows[k].second.read << " B, written " << rows[k].second.written
            << " B, " << rows[k].second.flushes << " flushes\n";
}

std::string real(const char* path) { return g_backing + path; }

int fail() { return -errno; }

int op_getattr(const char* path, struct stat* st, fuse_file_info* fi) {
    if (fi != nullptr) return ::fstat(static_cast<int>(fi->fh), st) == 0 ? 0 : fail();
    return ::lstat(real(path).c_str(), st) == 0 ? 0 : fail();
}

int op_readlink(const char* path, char* buf, size_t size) {
    const ssize_t n = ::readlink(real(path).c_str(), buf, size - 1);
    if (n < 0) return fail();
    buf[n] = '\0';
    return 0;
}

int op_mkdir(const char* path, mode_t mode) { return ::mkdir(real(path).c_str(), mode) == 0 ? 0 : fail(); }
int op_unlink(const char* path) { return ::unlink(real(path).c_str()) == 0 ? 0 : fail(); }
int op_rmdir(const char* path) { return ::rmdir(real(path).c_str()) == 0 ? 0 : fail(); }
int op_symlink(const char* to, const char* path) { return ::symlink(to, real(path).c_str()) == 0 ? 0 : fail(); }

int op_rename(const char* from, const char* to, unsigned int flags) {
    if (flags != 0) return -EINVAL; // a FAT-like drive knows neither exchange nor no-replace
    return ::rename(real(from).c_str(), real(to).c_str()) == 0 ? 0 : fail();
}

int op_chmod(const char* path, mode_t mode, fuse_file_info*) {
    return ::chmod(real(path).c_str(), mode) == 0 ? 0 : fail();
}

int op_chown(const char* path, uid_t uid, gid_t gid, fuse_file_info*) {
    return ::lchown(real(path).c_str(), uid, gid) == 0 ? 0 : fail();
}

int op_truncate(const char* path, off_t size, fuse_file_info* fi) {
    if (fi != nullptr) return ::ftruncate(static_cast<int>(fi->fh), size) == 0 ? 0 : fail();
    return ::truncate(real(path).c_str(), size) == 0 ? 0 : fail();
}

int op_utimens(const char* path, const timespec tv[2], fuse_file_info* fi) {
    if (fi != nullptr) return ::futimens(static_cast<int>(fi->fh), tv) == 0 ? 0 : fail();
    return ::utimensat(AT_FDCWD, real(path).c_str(), tv, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

int op_open(const char* path, fuse_file_info* fi) {
    const int fd = ::open(real(path).c_str(), fi->flags & ~O_NOFOLLOW);
    if (fd < 0) return fail();
    fi->fh = static_cast<uint64_t>(fd);
    fi->keep_cache = 0;
    fi->direct_io = 0;
    return 0;
}

int op_create(const char* path, mode_t mode, fuse_file_info* fi) {
    const int fd = ::open(real(path).c_str(), fi->flags, mode);
    if (fd < 0) return fail();
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int op_read(const char* path, char* buf, size_t size, off_t offset, fuse_file_info* fi) {
    const ssize_t n = ::pread(static_cast<int>(fi->fh), buf, size, offset);
    if (n < 0) return fail();
    count(path, &Traffic::read, static_cast<std::uint64_t>(n));
    waitFor(durationOf(static_cast<std::size_t>(n)));
    return static_cast<int>(n);
}

int op_write(const char* path, const char* buf, size_t size, off_t offset, fuse_file_info* fi) {
    count(path, &Traffic::written, size);
    cachedWrite(size);
    const ssize_t n = ::pwrite(static_cast<int>(fi->fh), buf, size, offset);
    return n < 0 ? fail() : static_cast<int>(n);
}

int op_statfs(const char*, struct statvfs* st) { return ::statvfs(g_backing.c_str(), st) == 0 ? 0 : fail(); }

int op_release(const char*, fuse_file_info* fi) {
    ::close(static_cast<int>(fi->fh));
    return 0;
}

// The flush is the drive's, not the backing folder's: that folder's own disk is not what is measured.
int op_fsync(const char* path, int, fuse_file_info*) {
    count(path, &Traffic::flushes, 1);
    waitFor(g_flush_cost);
    return 0;
}

int op_fsyncdir(const char*, int, fuse_file_info*) {
    waitFor(g_flush_cost);
    return 0;
}

int op_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    DIR* dir = ::opendir(real(path).c_str());
    if (dir == nullptr) return fail();
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buf, entry->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
    }
    ::closedir(dir);
    return 0;
}

int op_access(const char* path, int mask) { return ::access(real(path).c_str(), mask) == 0 ? 0 : fail(); }

int op_fallocate(const char*, int mode, off_t offset, off_t length, fuse_file_info* fi) {
    if (mode != 0) return -EOPNOTSUPP;
    return -::posix_fallocate(static_cast<int>(fi->fh), offset, length);
}

void op_destroy(void*) { writeStats(); }

void* op_init(fuse_conn_info*, fuse_config* cfg) {
    cfg->kernel_cache = 0;
    cfg->auto_cache = 0;
    return nullptr;
}

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: throttled_drive [--rate BYTES_PER_SECOND] [--fsync-ms MS] [--stats FILE] BACKING_FOLDER "
                 "MOUNT_POINT [FUSE options]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        if (std::strcmp(argv[i], "--rate") == 0) {
            g_rate = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--fsync-ms") == 0) {
            g_flush_cost = std::chrono::microseconds(static_cast<long long>(std::atof(argv[i + 1]) * 1000));
        } else if (std::strcmp(argv[i], "--stats") == 0) {
            g_stats_file = argv[i + 1];
        } else {
            usage();
        }
    }
    if (argc - i < 2 || g_rate <= 0) usage();
    char* backing = ::realpath(argv[i], nullptr);
    if (backing == nullptr) {
        std::perror(argv[i]);
        return 2;
    }
    g_backing = backing;
    std::free(backing);

    fuse_operations ops{};
    ops.getattr = op_getattr;
    ops.readlink = op_readlink;
    ops.mkdir = op_mkdir;
    ops.unlink = op_unlink;
    ops.rmdir = op_rmdir;
    ops.symlink = op_symlink;
    ops.rename = op_rename;
    ops.chmod = op_chmod;
    ops.chown = op_chown;
    ops.truncate = op_truncate;
    ops.utimens = op_utimens;
    ops.open = op_open;
    ops.create = op_create;
    ops.read = op_read;
    ops.write = op_write;
    ops.statfs = op_statfs;
    ops.release = op_release;
    ops.fsync = op_fsync;
    ops.fsyncdir = op_fsyncdir;
    ops.readdir = op_readdir;
    ops.access = op_access;
    ops.fallocate = op_fallocate;
    ops.init = op_init;
    ops.destroy = op_destroy;

    // FUSE sees the program name, the mount point and the caller's own FUSE options.
    std::vector<char*> fuse_args{argv[0], argv[i + 1]};
    for (int k = i + 2; k < argc; ++k) fuse_args.push_back(argv[k]);
    return fuse_main(static_cast<int>(fuse_args.size()), fuse_args.data(), &ops, nullptr);
}
