#pragma once
// The --help texts of the tool and of each command.

#include "cli_options.h"

#include <string_view>

namespace tarvela::cli {

// The tool's help for Command::None, else the command's.
std::string_view helpText(Command command);

} // namespace tarvela::cli
