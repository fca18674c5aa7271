// tarvela-cli: the synchronisation engine from a terminal or a script.
#include "commands.h"
#include "console.h"
#include "copy/copier.h"
#include "copy/disk_tools.h"
#include "platform/file_system.h"
#include "process_main.h"
#include "stop_signal.h"

#include <cstdlib>
#include <iostream>

namespace tarvela::cli {

int processMain(const std::vector<std::string>& args) {
    TFileCopier copier;
    const StopSignal stop(copier);
    const ConsoleFacts console = prepareConsole();
    const char* noColor = std::getenv("NO_COLOR");
    CliEnvironment env{
        .in = std::cin,
        .out = std::cout,
        .err = std::cerr,
        .stdinIsTerminal = console.stdinIsTerminal,
        .stdoutIsTerminal = console.stdoutIsTerminal,
        .stderrIsTerminal = console.stderrIsTerminal,
        .noColor = (noColor != nullptr && *noColor != '\0') || !console.understandsColour,
        .terminalWidth = console.width,
        .executableFolder = platform::executableFolder(),
        .pcIdent = GetHDSerNo(),
        .stop = stop.flag(),
        .copier = copier,
    };
    return runCli(args, env);
}

} // namespace tarvela::cli
