#pragma once
// The whole of tarvela-cli's process once its arguments are UTF-8 text; each system's entry point
// turns its own command line into that.

#include <string>
#include <vector>

namespace tarvela::cli {

int processMain(const std::vector<std::string>& args);

} // namespace tarvela::cli
