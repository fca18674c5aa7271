#pragma once
// Which profile of the profile file a PROFILE argument names, and which role this computer plays.

#include "records/profile.h"
#include "sync/run_control.h"

#include <optional>
#include <string>

namespace tarvela::cli {

struct ProfileChoice {
    std::size_t index = 0;
    std::string error; // empty when exactly one profile was named
};

// "#N" is the profile at 0-based index N. Otherwise the profile whose Id is the argument, or else
// the one whose name is exactly the argument. An argument that fits several profiles the same way
// is an error, as is one that fits none.
ProfileChoice chooseProfile(const ProfilArray& profiles, const std::string& argument);

struct RoleChoice {
    Role role = Role::Work;
    std::string error;
};

// The role given on the command line; without one, the profile's role when the profile was last
// saved on this computer (its IdPC is this computer's identity), else an error.
RoleChoice chooseRole(const std::optional<Role>& given, const TProfilLine& profile, const std::string& pcIdent);

} // namespace tarvela::cli
