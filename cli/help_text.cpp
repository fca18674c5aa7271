#include "help_text.h"

#include "profile_help_text.h"

namespace tarvela::cli {
namespace {

constexpr std::string_view kTool = R"(Usage: tarvela-cli [--medium DIR] COMMAND ...

Keeps the folders of a work computer and a home computer in step through a removable medium.

  --medium DIR   the folder that plays the program folder (Tarvela.cfg and Task/ live there);
                 default: the folder of the tarvela-cli executable.

Commands:
  list           one line per profile: INDEX<TAB>ID<TAB>NAME<TAB>ROLE<TAB>IDPC
  id             this computer's identity
  state PROFILE  the directions that may run now, one per line
  run PROFILE    runs this computer's half of a direction
  profile ACTION makes, shows, changes, removes or clears a profile (add, show, set, remove, clear)
  log PROFILE    the profile's log as plain text

PROFILE is the 8-character Id, the exact name, or #INDEX (0-based, as list shows it).
"tarvela-cli COMMAND --help" tells more of each command.

Exit status: 0 done, nothing failed; 1 the half ended early (wrong path, too little space,
refused, store not removable, a disk full or gone while copying, stopped, direction not enabled,
busy); 2 usage error; 3 a profile, table or log file could not be read or written; 4 the half
reached its end, but some items failed (their red lines are on stdout).
)";

constexpr std::string_view kList = R"(Usage: tarvela-cli [--medium DIR] list

One line per profile, in the order of the profile file:
  INDEX<TAB>ID<TAB>NAME<TAB>ROLE<TAB>IDPC
ROLE is work when the profile was saved in the work role, else home; IDPC is the identity of the
computer that saved it. Control characters in a field are shown as '?'.
)";

constexpr std::string_view kId = R"(Usage: tarvela-cli id

Prints this computer's identity, as profiles saved here record it.
)";

constexpr std::string_view kState = R"(Usage: tarvela-cli [--medium DIR] state PROFILE [--role work|home]

Prints the directions that may run on this computer now, one per line:
  work-home   ("рабочий с домашним")
  home-work   ("домашний с рабочим")
--role defaults to the profile's role when the profile was last saved on this computer.
)";

constexpr std::string_view kRun = R"(Usage: tarvela-cli [--medium DIR] run PROFILE --direction work-home|home-work
                  [--role work|home] [--full-copy all|none|refuse|ask] [--delete yes|no|ask]
                  [--allow-mass-removal] [--allow-empty-folder] [--dry-run] [--no-color]

Runs this computer's half of the direction: the sending half when this computer's folders are
the source, the receiving half otherwise. A direction that may not run now is refused (exit 1).

  --direction   work-home ("рабочий с домашним") or home-work ("домашний с рабочим")
  --role        work or home; default: the profile's role when the profile was last saved on this
                computer, else required
  --full-copy   the answer when a folder was never received by the other computer:
                all = copy every file, for every such folder of the run;
                none = copy nothing (the folders are taken as equal), for every such folder;
                refuse = refuse; ask = ask on the terminal (the default on a terminal;
                without one the full copy is refused)
  --delete      the answer when the profile asks before removing: yes = "Да для всех",
                no = "Нет для всех", ask = per item on the terminal (the default on a terminal;
                without one nothing is removed)
  --allow-mass-removal
                lets a receive remove more than half of the files of a folder pair (and more
                than five) that the two computers last agreed on; without it those removals are
                skipped with a red line and asked about again at the next receive
  --allow-empty-folder
                a pair folder that reads empty although the two computers last agreed that it
                held files was emptied on purpose: the half goes on, and the files are removed on
                the other computer (when its receive removes: --delete, and for more than half of
                the files --allow-mass-removal there). Without it such a pair is skipped with a
                red line ("Папка пуста, хотя в ней были файлы. Пара пропущена: ..."), for a
                folder that reads empty may be a disk that is not mounted
  --dry-run     shows what the half would do and changes nothing: no file is stored, copied, set
                aside or removed, no folder made, and nothing is written on the medium (no table,
                store, log or agreed state). Each item gets the line the real run writes for it
                ("Файл добавлен: ", "Файлы отличаются: ", "Конфликт: ..."); a removal, which the
                real run does silently, gets "Будет удалено: PATH", and each file of a full copy
                "Будет скопирован в хранилище: PATH". The last line before the counts sums it up:
                "Пробный запуск, ничего не изменено. В хранилище: файлов N, байт B" (sending), or
                "... Скопировать: файлов N, байт B; удалить: N; конфликтов: N" (receiving). The
                full-copy question is answered as in a real run; removals are never asked about:
                all that the run would remove or ask about are listed. A send counts what goes on
                this trip of the medium and, before the sum, says how many trips the whole change
                needs with the medium's free space: "Поездок с этим носителем понадобится: N".
                Exit status as a real run.
  --no-color    no colours (also when NO_COLOR is set)

Echo lines go to stdout, each as soon as it is written (also into a pipe or a file); control
characters in them are shown as \n, \x1b and the like. The progress line goes to stderr on a
terminal. Ctrl-C stops the run the way the stop button does.

Exit status 0 means the half reached its end and nothing failed; 4 means it reached its end but
some items failed: their red lines are on stdout, and the last line counts them. Notices (black
lines, and the orange lines of conflicts and files kept here) are not failures.
)";

} // namespace

std::string_view helpText(Command command) {
    switch (command) {
    case Command::List:
        return kList;
    case Command::Id:
        return kId;
    case Command::State:
        return kState;
    case Command::Run:
        return kRun;
    case Command::Profile:
        return profileHelpText(ProfileAction::None);
    case Command::Log:
        return logHelpText();
    default:
        return kTool;
    }
}

} // namespace tarvela::cli
