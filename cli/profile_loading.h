#pragma once
// The profiles of the medium as every command reads them: the whole records of the profile file,
// with a line on the error stream when the file ends in part of a record.

#include "records/profile.h"

#include <ostream>
#include <string>

namespace tarvela::cli {

ProfilArray loadProfilesSaying(const std::string& programPath, std::ostream& err);

} // namespace tarvela::cli
