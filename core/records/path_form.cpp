#include "records/path_form.h"

#include "scan/case_fold.h"

#include <algorithm>

namespace tarvela {
namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool isWindowsFolderText(std::string_view folder) {
    if (folder.starts_with("\\\\"))
        return true;
    return folder.size() >= 3 && isDriveLetter(folder[0]) && folder[1] == ':' &&
           (folder[2] == '\\' || folder[2] == '/');
}

char separatorOf(std::string_view folder) {
    return isWindowsFolderText(folder) ? '\\' : '/';
}

void toEngineForm(std::string& relative, std::string_view folder) {
    if (isWindowsFolderText(folder))
        std::replace(relative.begin(), relative.end(), '\\', '/');
}

std::string folderKey(std::string_view folder) {
    const bool windows = isWindowsFolderText(folder);
    std::string key = windows ? foldCase(folder) : std::string(folder);
    if (windows)
        std::replace(key.begin(), key.end(), '/', '\\');
    const char separator = windows ? '\\' : '/';
    // The root ("/", "C:\\") keeps its one separator.
    const std::size_t keep = windows ? 3 : 1;
    while (key.size() > keep && key.back() == separator)
        key.pop_back();
    return key;
}

} // namespace tarvela
