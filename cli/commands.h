#pragma once
// tarvela-cli as a function: the command line in, the exit status out, every text through the
// streams the caller gives. main() passes the process's own; tests pass string streams.

#include <atomic>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tarvela {
class IFileCopier;
}

namespace tarvela::cli {

enum ExitStatus : int {
    kExitDone = 0,        // the command did its work; a half wrote its end line and nothing failed
    kExitEndedEarly = 1,  // the half ended early, or the direction may not run now
    kExitUsage = 2,       // bad command line, unknown profile, no profile file, role needed
    kExitFileFailure = 3, // a profile, table or log file could not be read or written
    kExitSomeFailed = 4,  // the half wrote its end line, but some items failed (their red lines are on stdout)
};

struct CliEnvironment {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool stdinIsTerminal = false;
    bool stdoutIsTerminal = false;
    bool stderrIsTerminal = false;
    bool noColor = false; // NO_COLOR is set to something
    std::size_t terminalWidth = 80;
    std::string executableFolder;  // default medium, ending with '/'
    std::string pcIdent;           // this computer's identity (GetHDSerNo)
    const std::atomic<bool>& stop; // set by Ctrl-C
    IFileCopier& copier;           // its break flag is set by Ctrl-C too
};

// Runs the command line (the arguments after the program name) and returns the exit status.
int runCli(const std::vector<std::string>& args, CliEnvironment& env);

} // namespace tarvela::cli
