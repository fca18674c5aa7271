#pragma once
// The command line of tarvela-cli, parsed into what the commands need. Parsing never prints and
// never exits: a bad command line comes back as an error text (exit status 2 for the caller).

#include "sync/run_control.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvela::cli {

enum class Command { None, List, Id, State, Run, Profile, Log };

// The answer to the full-copy question: Unset asks on a terminal and refuses without one.
enum class FullCopyChoice { Unset, All, None, Refuse, Ask };
// The answer to the deletion question: Unset asks on a terminal and keeps everything without one.
enum class DeleteChoice { Unset, Yes, No, Ask };

struct CliOptions {
    std::optional<std::string> medium; // --medium DIR
    Command command = Command::None;
    bool help = false;   // --help: of the tool, or of the command when one is given
    std::string profile; // PROFILE of state and run
    std::optional<Role> role;
    std::optional<Direction> direction;
    FullCopyChoice fullCopy = FullCopyChoice::Unset;
    DeleteChoice deleteChoice = DeleteChoice::Unset;
    bool noColor = false;
    bool allowMassRemoval = false; // --allow-mass-removal
    bool allowEmptiedFolder = false; // --allow-empty-folder
    bool dryRun = false;           // --dry-run: what the run would do, changing nothing
    // The arguments after "profile" or "log": those commands parse their own (profile_options.h).
    std::vector<std::string> rest;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error; // empty when the command line is usable
};

// Parses the arguments after the program name. Options take their value as the next argument or
// after '='; "--" ends the options, so a profile name may begin with '-'.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// The words of the command line for the role and the direction, as the tool prints them too.
const char* roleWord(Role role);
const char* directionWord(Direction direction);

} // namespace tarvela::cli
