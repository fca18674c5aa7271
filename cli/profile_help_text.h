#pragma once
// The --help texts of "tarvela-cli profile …" and "tarvela-cli log".

#include "profile_options.h"

#include <string_view>

namespace tarvela::cli {

// Of one action; of the profile command as a whole for ProfileAction::None.
std::string_view profileHelpText(ProfileAction action);
std::string_view logHelpText();

} // namespace tarvela::cli
