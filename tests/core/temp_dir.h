#pragma once
// A fresh folder for one test, removed with everything in it afterwards, and small helpers to
// build literal trees in it.

#include "platform/directory.h"

#include <filesystem>
#include <string>
#include <type_traits>

namespace tarvela::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending with '/'.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Writes a file (creating its parent folders) with the given content.
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
void makeFolders(const std::string& path);
void setMtime(const std::string& path, platform::FileTime time);
platform::FileTime mtimeOf(const std::string& path);

// A UTF-8 path as a std::filesystem path and back (generic form, '/' between names). On Windows a
// plain std::string would be read in the ANSI code page.
std::filesystem::path fsPath(const std::string& utf8);
std::string utf8Of(const std::filesystem::path& path);

// Sets or removes an environment variable of this process.
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

#ifdef _WIN32
// Where a std::filesystem path stands for a UTF-8 string (it converts to one implicitly on Linux).
// (Templates for exactly that type, so that a string literal still picks the std::string one.)
template <typename Path, typename = std::enable_if_t<std::is_same_v<Path, std::filesystem::path>>>
std::string readFile(const Path& path) {
    return readFile(utf8Of(path));
}
template <typename Path, typename = std::enable_if_t<std::is_same_v<Path, std::filesystem::path>>>
void setMtime(const Path& path, platform::FileTime time) {
    setMtime(utf8Of(path), time);
}
#endif

} // namespace tarvela::test
