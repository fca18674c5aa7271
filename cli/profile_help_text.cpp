#include "profile_help_text.h"

namespace tarvela::cli {
namespace {

constexpr std::string_view kProfile = R"(Usage: tarvela-cli [--medium DIR] profile ACTION ...

Makes, shows, changes and removes the profiles of Tarvela.cfg, with the rules of the desktop
program's editor "Настройка профиля".

  profile add NAME --work DIR --home DIR [OPTIONS]   a new profile; prints its Id
  profile show PROFILE [--json]                     every field, one per line
  profile set PROFILE [OPTIONS]                     changes only what is given
  profile remove PROFILE [--keep-store]             as "Удалить": the profile and its store
  profile clear PROFILE                             as "Очистить файлы профиля": the store only

PROFILE is the 8-character Id, the exact name, or #INDEX (0-based, as list shows it).
"tarvela-cli profile ACTION --help" tells more of each action.

Exit status: 0 done; 1 a run of the profile is in progress (nothing changed), or its store could
not be removed completely; 2 usage error (also an unknown profile, a folder that cannot be stored,
a profile without a name or a folder); 3 the profile file could not be read or written (nothing
changed).
)";

constexpr std::string_view kOptions = R"(Options of add and set:
  --work DIR, --home DIR   the work computer's and the home computer's folder of the pair;
                           an absolute path; '/' is appended when missing; '' empties it
  --pair N                 the pair (1..10) that the following --work, --home (or --clear) change;
                           before any --pair they change pair 1
  --exclude MASKS          exclusion masks separated by ';', e.g. '*.tmp;*.bak'
  --role work|home         the role of this computer ("  Рабочим" or "  Домашним"; default of
                           add: work; set keeps the profile's role when the profile was last saved
                           on this computer, else --role is required)
  --delete on|off          "Удалять папки и файлы" (add: off)
  --trash on|off           "Удалять в корзину" (add: off)
  --confirm on|off         "Спросить при удалении" (add: on)
  --log on|off             "Сохранить лог операции" (add: off)
A save records this computer as the one that last saved the profile, as the editor's save does.
)";

constexpr std::string_view kAdd = R"(Usage: tarvela-cli [--medium DIR] profile add NAME --work DIR --home DIR
                  [--pair N --work DIR --home DIR]... [--exclude MASKS] [--role work|home]
                  [--delete on|off] [--trash on|off] [--confirm on|off] [--log on|off]

Adds a profile at the end of Tarvela.cfg (created when missing) with a fresh 8-character Id and
prints the Id. A profile needs a name and at least one folder; a pair may have one side only.

)";

constexpr std::string_view kShow = R"(Usage: tarvela-cli [--medium DIR] profile show PROFILE [--json]

Prints every field of the profile, one per line:
  index, name, id, role (work|home), saved-on (the identity of the computer that last saved it),
  "pair N work" and "pair N home" for every pair with a folder, exclude, delete, trash, confirm, log
--json prints one JSON object instead: index, id, name, role, saved_on, pairs (pair, work, home),
exclude, and delete, trash, confirm, log as true or false.
)";

constexpr std::string_view kSet = R"(Usage: tarvela-cli [--medium DIR] profile set PROFILE [--name NEW]
                  [--pair N (--work DIR | --home DIR | --clear)]... [--exclude MASKS]
                  [--role work|home] [--delete on|off] [--trash on|off] [--confirm on|off] [--log on|off]

Changes only what is given and saves the profile as the editor does. Refused (exit 1) while a run
of the profile is in progress.
  --name NEW     the new name
  --clear        after --pair N: empties both folders of pair N

)";

constexpr std::string_view kRemove = R"(Usage: tarvela-cli [--medium DIR] profile remove PROFILE [--keep-store]

Removes the profile from Tarvela.cfg and then its transfer store (Task/<Id>: its tables, carried
files and log) permanently, without asking. --keep-store leaves the store on the medium. Refused
(exit 1) while a run of the profile is in progress.
)";

constexpr std::string_view kClear = R"(Usage: tarvela-cli [--medium DIR] profile clear PROFILE

Removes the profile's transfer store (its tables, carried files and log) permanently, without
asking; the profile stays, and its next run starts afresh. Refused (exit 1) while a run of the
profile is in progress.
)";

constexpr std::string_view kLog = R"(Usage: tarvela-cli [--medium DIR] log PROFILE [--no-color]

Prints the profile's log file (Task/<Id>/<Id>.log) as plain text, one line per echo line, in the
echo's colours when stdout is a terminal (--no-color or NO_COLOR: none). A line break inside an
echo line is shown as \n, other control characters as \xHH.

Exit status: 0 done; 1 the profile keeps no log yet; 2 usage error (also an unknown profile);
3 the log or profile file could not be read.
)";

std::string addOptions(std::string_view head) {
    return std::string(head) + std::string(kOptions);
}

} // namespace

std::string_view profileHelpText(ProfileAction action) {
    static const std::string add = addOptions(kAdd);
    static const std::string set = addOptions(kSet);
    switch (action) {
    case ProfileAction::Add:
        return add;
    case ProfileAction::Show:
        return kShow;
    case ProfileAction::Set:
        return set;
    case ProfileAction::Remove:
        return kRemove;
    case ProfileAction::Clear:
        return kClear;
    case ProfileAction::None:
        break;
    }
    return kProfile;
}

std::string_view logHelpText() {
    return kLog;
}

} // namespace tarvela::cli
