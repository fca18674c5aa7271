#include "base/path_display.h"

namespace tarvela {
namespace {

constexpr std::string_view kSidesSeparator = " <==> ";

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where a path may begin: the start of the line, after a space, a bracket, a quote or "«".
bool pathMayStartAfter(std::string_view line, std::size_t i) {
    if (i == 0)
        return true;
    const char c = line[i - 1];
    return c == ' ' || c == '(' || c == '"' || c == '\'' || static_cast<unsigned char>(c) == 0xAB; // the last byte of "«"
}

// A Windows path in its own form begins at `i`: a drive letter, a colon and '\', or two
// backslashes. ("C:/..." is written with '/' throughout already and stays as it is.)
bool windowsPathStarts(std::string_view line, std::size_t i) {
    if (!pathMayStartAfter(line, i))
        return false;
    if (i + 2 < line.size() && isAsciiLetter(line[i]) && line[i + 1] == ':' && line[i + 2] == '\\')
        return true;
    return i + 1 < line.size() && line[i] == '\\' && line[i + 1] == '\\';
}

} // namespace

std::string windowsPathsInOwnForm(std::string_view line) {
    std::string shown(line);
    bool inWindowsPath = false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (inWindowsPath && std::string_view(shown).substr(i).starts_with(kSidesSeparator)) {
            inWindowsPath = false;
            i += kSidesSeparator.size() - 1;
            continue;
        }
        if (!inWindowsPath && windowsPathStarts(shown, i))
            inWindowsPath = true;
        if (inWindowsPath && shown[i] == '/')
            shown[i] = '\\';
    }
    return shown;
}

} // namespace tarvela
