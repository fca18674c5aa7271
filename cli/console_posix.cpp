#include "console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvela::cli {

ConsoleFacts prepareConsole() {
    ConsoleFacts facts;
    facts.stdinIsTerminal = ::isatty(STDIN_FILENO) == 1;
    facts.stdoutIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    facts.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        facts.width = size.ws_col;
    return facts;
}

} // namespace tarvela::cli
