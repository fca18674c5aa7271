#include "profile_choice.h"

#include <charconv>
#include <vector>

namespace tarvela::cli {
namespace {

std::vector<std::size_t> matching(const ProfilArray& profiles, const std::string& argument,
                                  std::string (*field)(const TProfilLine&)) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        if (field(profiles[i]) == argument)
            out.push_back(i);
    }
    return out;
}

std::string idOf(const TProfilLine& p) {
    return p.Id.text();
}
std::string nameOf(const TProfilLine& p) {
    return p.NameConf.text();
}

std::string indexList(const std::vector<std::size_t>& indexes) {
    std::string out;
    for (const std::size_t i : indexes)
        out += (out.empty() ? "#" : ", #") + std::to_string(i);
    return out;
}

} // namespace

ProfileChoice chooseProfile(const ProfilArray& profiles, const std::string& argument) {
    if (argument.starts_with('#')) {
        std::size_t index = 0;
        const char* first = argument.data() + 1;
        const char* last = argument.data() + argument.size();
        const auto [end, ec] = std::from_chars(first, last, index);
        if (ec != std::errc() || end != last || first == last)
            return {0, "'" + argument + "' is not a profile index"};
        if (index >= profiles.size()) {
            return {0, "there is no profile " + argument + " (the file holds " + std::to_string(profiles.size()) + ")"};
        }
        return {index, {}};
    }
    for (const auto field : {idOf, nameOf}) {
        const auto found = matching(profiles, argument, field);
        if (found.size() == 1)
            return {found.front(), {}};
        if (found.size() > 1)
            return {0, "'" + argument + "' names several profiles: " + indexList(found)};
    }
    return {0, "no profile has the Id or the name '" + argument + "'"};
}

RoleChoice chooseRole(const std::optional<Role>& given, const TProfilLine& profile, const std::string& pcIdent) {
    if (given)
        return {*given, {}};
    if (profile.IdPC.bytes() == ShortString<25>::fromText(pcIdent).bytes()) {
        return {profile.isWorkRole() ? Role::Work : Role::Home, {}};
    }
    return {Role::Work, "the profile was last saved on another computer: give --role work|home"};
}

} // namespace tarvela::cli
