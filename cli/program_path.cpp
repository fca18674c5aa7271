#include "program_path.h"

#include <filesystem>

namespace tarvela::cli {

std::string programPathOf(const std::optional<std::string>& medium, const std::string& executableFolder) {
    if (!medium)
        return executableFolder;
    std::string path = std::filesystem::absolute(*medium).lexically_normal().string();
    if (!path.ends_with('/'))
        path += '/';
    return path;
}

} // namespace tarvela::cli
