#pragma once
// What the program learns about, and sets up on, the terminal it runs in: which standard streams
// are terminals, whether colour sequences are understood, and how wide the window is.

#include <cstddef>

namespace tarvela::cli {

struct ConsoleFacts {
    bool stdinIsTerminal = false;
    bool stdoutIsTerminal = false;
    bool stderrIsTerminal = false;
    bool understandsColour = true; // escape sequences are shown as colours, not as text
    std::size_t width = 80;
};

// Prepares the console for UTF-8 text and colour sequences where the system needs that asked, and
// says what it found.
ConsoleFacts prepareConsole();

} // namespace tarvela::cli
