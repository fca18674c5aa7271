#include "program_path.h"

#include <filesystem>

namespace tarvela::cli {

std::string programPathOf(const std::optional<std::string>& medium, const std::string& executableFolder) {
    if (!medium)
        return executableFolder;
    // Through UTF-8 both ways: on Windows a narrow path would go through the ANSI code page.
    const std::u8string given(medium->begin(), medium->end());
    const std::u8string absolute =
        std::filesystem::absolute(std::filesystem::path(given)).lexically_normal().u8string();
    std::string path(absolute.begin(), absolute.end());
    constexpr auto kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (!path.ends_with('/') && !path.ends_with(kSeparator))
        path += kSeparator;
    return path;
}

} // namespace tarvela::cli
