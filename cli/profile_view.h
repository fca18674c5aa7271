#pragma once
// A profile as "tarvela-cli profile show" prints it: one field per line for people, or one JSON
// object for scripts. Pairs are numbered 1..10; a pair with neither folder set is left out.

#include "records/profile.h"

#include <string>

namespace tarvela::cli {

// "name: …", "id: …", "role: …", "saved-on: …", "pair N work: …", "pair N home: …",
// "exclude: …", "delete: on|off", "trash: …", "confirm: …", "log: …". Control characters in a
// field are shown as '?', so each field stays on its line.
std::string profileText(const TProfilLine& profile, std::size_t index);

// {"index":0,"id":…,"name":…,"role":"work","saved_on":…,"pairs":[{"pair":1,"work":…,"home":…}],
//  "exclude":…,"delete":false,"trash":false,"confirm":true,"log":false} and a line break.
std::string profileJson(const TProfilLine& profile, std::size_t index);

} // namespace tarvela::cli
