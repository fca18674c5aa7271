#pragma once
// The medium folder that plays ProgramPath for a command.

#include <optional>
#include <string>

namespace tarvela::cli {

// --medium DIR made absolute and ending with '/'; without it, the executable's folder.
std::string programPathOf(const std::optional<std::string>& medium, const std::string& executableFolder);

} // namespace tarvela::cli
