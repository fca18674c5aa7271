#pragma once
// Real file systems for the end-to-end tests, mounted over a folder: tmpfs with few inodes, exFAT
// on a loop image through FUSE, FAT32 through fusefat. Mounting needs root (and FUSE); where this
// machine cannot, mounted() is false and the test skips.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace tarvela::test {

inline bool mountShell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A file system mounted over a folder (the medium, or a computer's folder) for the life of the object.
class MountedMedium {
public:
    // tmpfs with a limit of files (each takes an inode), or exFAT with 32 KiB clusters on a loop
    // image of `megabytes` MiB. mounted() is false when this machine cannot mount it.
    static MountedMedium tmpfsWithInodes(const std::string& medium, int inodes) {
        MountedMedium m(medium);
        if (::geteuid() == 0)
            m.mounted_ =
                mountShell("mount -t tmpfs -o size=64m,nr_inodes=" + std::to_string(inodes) + " tmpfs '" + medium + "'");
        return m;
    }
    // `options` are the driver's own mount options besides "nonempty".
    static MountedMedium exfat(const std::string& medium, const std::string& image, int megabytes,
                               const std::string& options = {}) {
        MountedMedium m(medium);
        if (::geteuid() != 0 || !std::filesystem::exists("/dev/fuse") || !mountShell("command -v mkfs.exfat mount.exfat-fuse losetup"))
            return m;
        if (!mountShell("truncate -s " + std::to_string(megabytes) + "M '" + image + "' && mkfs.exfat -c 32K '" + image +
                   "'"))
            return m;
        char loop[64] = {};
        FILE* p = ::popen(("losetup -f --show '" + image + "' 2>/dev/null").c_str(), "r");
        if (p == nullptr)
            return m;
        const bool got = std::fgets(loop, sizeof loop, p) != nullptr;
        ::pclose(p);
        if (!got)
            return m;
        m.loop_ = loop;
        while (!m.loop_.empty() && m.loop_.back() == '\n')
            m.loop_.pop_back();
        // The medium folder already holds the profile file, which the mount hides.
        m.options_ = options;
        m.mounted_ = m.mountExfat();
        return m;
    }
    // FAT32 through fusefat, which reports no size at all (0 blocks in total).
    static MountedMedium fat32(const std::string& medium, const std::string& image, int megabytes) {
        MountedMedium m(medium);
        if (::geteuid() != 0 || !std::filesystem::exists("/dev/fuse") || !mountShell("command -v fusefat") ||
            !mountShell("command -v mkfs.vfat"))
            return m;
        if (!mountShell("truncate -s " + std::to_string(megabytes) + "M '" + image + "' && mkfs.vfat -F 32 '" + image + "'"))
            return m;
        m.mounted_ = mountShell("fusefat -o rw+,nonempty '" + image + "' '" + medium + "'");
        return m;
    }
    MountedMedium(MountedMedium&& other) noexcept
        : medium_(std::move(other.medium_)), loop_(std::move(other.loop_)), options_(std::move(other.options_)),
          mounted_(other.mounted_) {
        other.mounted_ = false;
        other.loop_.clear();
    }
    ~MountedMedium() {
        if (mounted_)
            mountShell("umount -l '" + medium_ + "'");
        if (!loop_.empty()) {
            // The FUSE driver lets go of the loop device a moment after the unmount.
            for (int i = 0; i < 50 && !mountShell("losetup -d '" + loop_ + "'"); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    bool mounted() const { return mounted_; }

    // The drive pulled while a half uses it: the mount goes at once (lazily: open files lose it).
    void pull() {
        if (mounted_)
            mountShell("umount -l '" + medium_ + "'");
        mounted_ = false;
    }
    // The same exFAT drive plugged in again after pull(), once the driver has let it go.
    bool plugIn() {
        for (int i = 0; i < 50 && !mounted_ && !loop_.empty(); ++i) {
            mounted_ = mountExfat();
            if (!mounted_)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return mounted_;
    }

private:
    explicit MountedMedium(std::string medium) : medium_(std::move(medium)) {}
    bool mountExfat() const {
        return mountShell("mount.exfat-fuse -o nonempty" + (options_.empty() ? "" : "," + options_) + " '" + loop_ +
                          "' '" + medium_ + "'");
    }
    std::string medium_;
    std::string loop_;
    std::string options_; // the exFAT driver's own mount options
    bool mounted_ = false;
};

} // namespace tarvela::test
