// tarvela-cli: the synchronisation engine from a terminal or a script.
#include "commands.h"
#include "copy/copier.h"
#include "copy/disk_tools.h"
#include "platform/file_system.h"
#include "stop_signal.h"

#include <cstdlib>
#include <iostream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

std::size_t terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        return size.ws_col;
    return 80;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarvela;
    const std::vector<std::string> args(argv + 1, argv + argc);
    TFileCopier copier;
    const cli::StopSignal stop(copier);
    const char* noColor = std::getenv("NO_COLOR");
    cli::CliEnvironment env{
        .in = std::cin,
        .out = std::cout,
        .err = std::cerr,
        .stdinIsTerminal = ::isatty(STDIN_FILENO) == 1,
        .stdoutIsTerminal = ::isatty(STDOUT_FILENO) == 1,
        .stderrIsTerminal = ::isatty(STDERR_FILENO) == 1,
        .noColor = noColor != nullptr && *noColor != '\0',
        .terminalWidth = terminalWidth(),
        .executableFolder = platform::executableFolder(),
        .pcIdent = GetHDSerNo(),
        .stop = stop.flag(),
        .copier = copier,
    };
    return cli::runCli(args, env);
}
