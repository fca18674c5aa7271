// The process entry on Windows: the UTF-16 command line, so that any name reaches the engine
// whole (the narrow arguments would be in the ANSI code page, which loses what it cannot hold).
#include "platform/win32/wide_path.h"
#include "process_main.h"

#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    args.reserve(static_cast<std::size_t>(argc));
    for (int i = 1; i < argc; ++i)
        args.push_back(tarvela::platform::win32::utf8Of(argv[i]));
    return tarvela::cli::processMain(args);
}
