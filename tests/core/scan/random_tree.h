#pragma once
// Random folder trees for the scan tests, and a guard that runs a scan as an ordinary user.

#include "temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarvela::test {

// Runs the scans as an ordinary user when the tests run as root, so that a folder without
// permissions is really unreadable.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_ && ::seteuid(65534) != 0)
            throw std::runtime_error("seteuid failed");
    }
    ~AsOrdinaryUser() {
        if (wasRoot_ && ::seteuid(0) != 0)
            std::abort();
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

// A random tree: folders a few levels deep with files (some hidden, some whose names differ only
// in letter case), hidden folders with content, links to files, to folders and to nowhere, empty
// folders and folders nobody may read.
inline void makeRandomTree(const std::string& root, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const std::vector<std::string> names = {"a", "B", "b", "doc.pas", "x.txt", "Zeta", "zz.bin", "1", "kept.tmp"};
    std::vector<std::string> folders = {root};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < folders.size() && folders.size() < 60; ++i) {
        const std::string folder = folders[i];
        const int depth =
            static_cast<int>(std::count(folder.begin() + static_cast<std::ptrdiff_t>(root.size()), folder.end(), '/'));
        for (int f = static_cast<int>(random() % 12); f > 0; --f) {
            std::string name = names[random() % names.size()] + std::to_string(random() % 30);
            if (chance(10))
                name = "." + name;
            test::writeFile(folder + name, std::string(random() % 50, 'x'));
            test::setMtime(folder + name, {1600000000 + static_cast<std::int64_t>(random() % 100000000), 0});
            files.push_back(folder + name);
        }
        for (int d = depth < 4 ? static_cast<int>(random() % 5) : 0; d > 0; --d) {
            std::string name = "d" + names[random() % names.size()] + std::to_string(random() % 10);
            if (chance(15))
                name = "." + name;
            if (std::filesystem::exists(folder + name))
                continue;
            test::makeFolders(folder + name);
            folders.push_back(folder + name + "/");
        }
        if (chance(20) && !files.empty()) {
            std::filesystem::create_symlink(files[random() % files.size()], folder + "link" + std::to_string(i));
        }
        if (chance(10))
            std::filesystem::create_symlink(folders[random() % folders.size()], folder + "flink");
        if (chance(10))
            std::filesystem::create_symlink(folder + "nowhere", folder + "dangling");
    }
    for (std::size_t i = 1; i < folders.size(); ++i) {
        if (chance(8))
            ::chmod(folders[i].c_str(), 0);
        else if (chance(5))
            ::chmod(folders[i].c_str(), 0300); // enterable, not listable
    }
}

// Gives every folder under root its permissions back, so that a temporary folder holding random
// trees can be removed (a folder is met before the iterator goes into it).
inline void givePermissionsBack(const std::string& root) {
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            ::chmod(it->path().c_str(), 0755);
    }
}

} // namespace tarvela::test
