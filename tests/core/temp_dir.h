#pragma once
// A fresh folder for one test, removed with everything in it afterwards, and small helpers to
// build literal trees in it.

#include "platform/directory.h"

#include <string>

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

} // namespace tarvela::test
