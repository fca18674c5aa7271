#pragma once
// "tarvela-cli log PROFILE": the profile's log file as plain text, one line per echo line, in the
// echo's colours on a terminal.

#include "commands.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvela::cli {

// `rest` holds the arguments after "log"; `medium` is a --medium given before the command.
int runLogCommand(const std::vector<std::string>& rest, const std::optional<std::string>& medium, CliEnvironment& env);

// The paragraphs of an RTF log as lines: with `color`, each run in its ANSI colour (bold runs bold).
// Control characters become visible escapes ("\n" for a line break inside an echo line, "\xHH"
// otherwise), so one echo line is one line and the log cannot command the terminal.
std::string logLines(std::string_view rtf, bool color);

} // namespace tarvela::cli
