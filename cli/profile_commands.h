#pragma once
// "tarvela-cli profile add|show|set|remove|clear": the profile editor's work from a terminal, under
// the editor's rules (records/profile_rules.h) and refused while a run of the profile is in progress.

#include "commands.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvela::cli {

// `rest` holds the arguments after "profile"; `medium` is a --medium given before the command.
int runProfileCommand(const std::vector<std::string>& rest, const std::optional<std::string>& medium,
                      CliEnvironment& env);

} // namespace tarvela::cli
