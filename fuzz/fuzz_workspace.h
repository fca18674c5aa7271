#pragma once
// A scratch folder for the fuzz targets that need files: made once per process, emptied for each
// input, removed at exit.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fuzz {

class Workspace {
public:
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvela-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern + "/";
    }
    ~Workspace() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // An empty folder `name` below the workspace, ending with '/'.
    std::string fresh(const std::string& name) const {
        const std::string folder = root_ + name + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder;
    }
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

} // namespace fuzz
