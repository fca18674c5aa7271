#include "records/store_layout.h"

namespace tarvela {
namespace {

const char* letter(Side s) { return s == Side::Work ? "W" : "H"; }

} // namespace

std::string profileFilePath(const std::string& programPath) { return programPath + kProfileFileName; }

std::string transferStoreFolder(const std::string& programPath, const std::string& id) {
    return programPath + "Task/" + id;
}

std::string storeRoot(const std::string& pathTask, Side sender) {
    return pathTask + "/" + letter(sender) + "Files";
}

std::string storeFolder(const std::string& pathTask, Side sender, int n) {
    return storeRoot(pathTask, sender) + "/Folder_" + std::to_string(n) + "/";
}

std::string tableFile(const std::string& pathTask, Side owner, int n) {
    return pathTask + "/" + letter(owner) + "TabFile_" + std::to_string(n) + ".dat";
}

std::string logFile(const std::string& pathTask, const std::string& id) { return pathTask + "/" + id + ".log"; }

bool isPlainStoreName(std::string_view name) {
    constexpr std::string_view kForbidden("/\0", 2);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(kForbidden) == std::string_view::npos;
}

} // namespace tarvela
