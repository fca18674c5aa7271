#pragma once
// The command lines of "tarvela-cli profile ACTION …" and "tarvela-cli log PROFILE": the words
// after the command, parsed into what the commands need. Parsing never prints and never exits.

#include "sync/run_control.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvela::cli {

enum class ProfileAction { None, Add, Show, Set, Remove, Clear };

// What the command line says about one folder pair. --work and --home before any --pair belong to
// pair 1; "--pair N" chooses the pair that the following --work, --home or --clear change.
struct PairChange {
    int number = 1; // 1..10
    std::optional<std::string> work;
    std::optional<std::string> home;
    bool clear = false; // both folders of the pair emptied
};

struct ProfileOptions {
    ProfileAction action = ProfileAction::None;
    bool help = false;
    std::optional<std::string> medium; // --medium DIR given after the command
    std::string profile;               // NAME of add; PROFILE of the others
    std::optional<std::string> name;   // --name NEW of set
    std::vector<PairChange> pairs;     // in the order given, one entry per pair
    std::optional<std::string> exclude;
    std::optional<Role> role;
    std::optional<bool> deleteOption; // --delete on|off  ("Удалять папки и файлы")
    std::optional<bool> trash;        // --trash on|off   ("Удалять в корзину")
    std::optional<bool> confirm;      // --confirm on|off ("Спросить при удалении")
    std::optional<bool> log;          // --log on|off     ("Сохранить лог операции")
    bool json = false;                // --json of show
    bool keepStore = false;           // --keep-store of remove
};

struct ParsedProfileCommand {
    ProfileOptions options;
    std::string error; // empty when usable
};

// The arguments after "profile".
ParsedProfileCommand parseProfileCommand(const std::vector<std::string>& args);

struct LogOptions {
    bool help = false;
    std::optional<std::string> medium;
    std::string profile;
    bool noColor = false;
};

struct ParsedLogCommand {
    LogOptions options;
    std::string error;
};

// The arguments after "log".
ParsedLogCommand parseLogCommand(const std::vector<std::string>& args);

const char* profileActionWord(ProfileAction action);

} // namespace tarvela::cli
