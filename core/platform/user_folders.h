#pragma once
// Per-user folders of this computer, outside the medium.

#include <string>

namespace tarvela::platform {

// The folder for the program's own data of this user on this computer, ending with '/'
// ($XDG_DATA_HOME/tarvela/, by default ~/.local/share/tarvela/); empty when there is no home.
std::string userDataFolder();

} // namespace tarvela::platform
