// The process entry on POSIX systems: the arguments are already the UTF-8 text of the locale.
#include "process_main.h"

int main(int argc, char** argv) {
    return tarvela::cli::processMain({argv + 1, argv + argc});
}
