#pragma once
// The two questions of a run, asked on a terminal: the question goes to `err` (stdout carries only
// the echo), the answer is one line read from `in`. An unknown answer asks again; the end of the
// input answers as closing the window would.

#include "base/run_host.h"

#include <istream>
#include <ostream>
#include <string_view>

namespace tarvela::cli {

// The full-copy question for a pair's folder: a = copy every file, n = copy nothing, r = refuse;
// a trailing '!' makes the answer hold for every later pair of the run. End of input: refused.
FullCopyAnswer askFullCopyOn(std::istream& in, std::ostream& err, std::string_view folder);

// The deletion question for one item: y = "Да", n = "Нет", a = "Да для всех", x = "Нет для всех".
// End of input: Closed (nothing is removed).
DeleteAnswer askDeleteOn(std::istream& in, std::ostream& err, std::string_view path);

} // namespace tarvela::cli
