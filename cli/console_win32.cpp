#include "console.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarvela::cli {
namespace {

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && ::GetConsoleMode(h, &mode);
}

// Asks the console to interpret colour sequences itself (Windows 10 and later); false where it
// cannot, and the text then goes out plain.
bool enableColourSequences(HANDLE h) {
    DWORD mode = 0;
    if (!::GetConsoleMode(h, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    return ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

} // namespace

ConsoleFacts prepareConsole() {
    ConsoleFacts facts;
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    facts.stdinIsTerminal = isConsole(in);
    facts.stdoutIsTerminal = isConsole(out);
    facts.stderrIsTerminal = isConsole(err);
    // The engine's texts are UTF-8: the console shows them as such, and answers typed in arrive so.
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    if (facts.stdoutIsTerminal && !enableColourSequences(out))
        facts.understandsColour = false;
    if (facts.stderrIsTerminal && !enableColourSequences(err))
        facts.understandsColour = false;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (facts.stderrIsTerminal && ::GetConsoleScreenBufferInfo(err, &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        if (columns > 20)
            facts.width = static_cast<std::size_t>(columns);
    }
    return facts;
}

} // namespace tarvela::cli
