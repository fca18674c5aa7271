#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tarvela::platform {

std::string userDataFolder() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return std::string(data) + "/tarvela/";
    }
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] == '/')
        return std::string(h) + "/.local/share/tarvela/";
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr)
        return {};
    return std::string(found->pw_dir) + "/.local/share/tarvela/";
}

} // namespace tarvela::platform
