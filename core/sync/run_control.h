#pragma once
// Which direction may run on this computer now, and the frame around one run of a half.

#include "records/profile.h"
#include "sync/sync_context.h"

#include <string>

namespace tarvela {

// The role of this computer in the profile.
enum class Role { Work, Home };
// The direction of a synchronisation: whose folders are the source.
enum class Direction { WorkHome, HomeWork };

struct DirectionButtons {
    bool WorkHome = false; // "рабочий с домашним"
    bool HomeWork = false; // "домашний с рабочим"
    friend bool operator==(const DirectionButtons&, const DirectionButtons&) = default;
};

// The enabling rule, from the role and from which store roots of the profile exist on the medium.
// With no profile at all both directions are disabled.
DirectionButtons TestState(const std::string& programPath, bool anyProfile, const TProfilLine& TaskData, Role role);

// How a half ended.
enum class HalfResult {
    Completed,          // the half wrote its end line
    WrongPath,          // a folder of the profile does not exist ("В профиле ошибочный путь:")
    NotEnoughSpace,     // too little free space
    Refused,            // the full-copy question was refused
    StoreRemovalFailed, // the old store root could not be removed
    Stopped,            // the stop ended the half before its end line
    FlushFailed,        // the copies could not be written through to the device (a red line says where)
    NotEnabled,         // TestState does not enable this direction for the role
    Busy,               // another run holds the profile's store (another window or process)
    DiskFailed,         // a disk filled up or went away while files were copied (its red line says which)
};

// True when this computer's folders are the source of the direction in this role, so the
// sending half runs; otherwise the receiving half runs.
inline bool isSendingHalf(Direction d, Role r) { return (d == Direction::WorkHome) == (r == Role::Work); }

// Runs exactly one half for the role and direction on `task`: refuses a direction that TestState
// does not enable, takes the profile's run lock on the medium, keeps the run's log when the
// profile asks for it and merges it into the profile's log file afterwards, and always releases
// the lock. A failure of a profile, table or log file throws FileError (after the lock is freed).
// Every echo line of the run has its control characters made visible (base/visible_text.h). A half
// that reaches its end line with red lines (single items that failed; notices are not failures)
// ends with one more red line that counts them. failedItems, when given, receives that count.
// With ctx.plan set the half is a dry run (sync/run_plan.h): no lock file, store folder or log is
// made, an existing lock is still honoured, and a line before the counts sums up the plan.
HalfResult RunHalf(SyncContext& ctx, const TProfilLine& task, Direction direction, Role role,
                   std::int64_t* failedItems = nullptr);

} // namespace tarvela
