#include "platform/user_folders.h"

#include "platform/win32/wide_path.h"

#include <shlobj.h>

namespace tarvela::platform {

std::string userDataFolder() {
    // The user's local application data (%LOCALAPPDATA%), which stays on this computer.
    PWSTR folder = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) != S_OK) {
        ::CoTaskMemFree(folder);
        return {};
    }
    std::string path = win32::utf8Of(folder);
    ::CoTaskMemFree(folder);
    // The engine joins names to it with '/', which Windows takes as well.
    return path + "\\tarvela/";
}

} // namespace tarvela::platform
