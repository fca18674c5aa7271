#pragma once
// What a half of a synchronisation needs of its surroundings. The front end owns these objects
// (the desktop window or the terminal) and passes them by reference; there are no globals.

#include "scan/exclusions.h"
#include "base/run_host.h"

#include <string>

namespace tarvela {

class IFileCopier;
struct RunPlan;

struct SyncContext {
    std::string ProgramPath;  // folder of the program on the medium, ending with '/'
    ExclusionList ListExcept; // exclusion masks of the profile being run
    RunHost& host;            // echo, progress, questions, stop flag
    IFileCopier& FileCopier;  // the one copier; its break flag is set by the stop button
    std::string PathTask;     // transfer store folder of the current run (set by the run frame)
    // Set for a dry run: the halves decide and say everything as a real run does, tally it here and
    // change nothing anywhere (sync/run_plan.h).
    RunPlan* plan = nullptr;
};

} // namespace tarvela
