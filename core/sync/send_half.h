#pragma once
// The sending half: on the computer whose folders are the source of the direction, scan every
// folder of the profile into a fresh table, compare it with the table that the other computer left
// on the medium, and put every new or newer file into the transfer store. It never changes this
// computer's folders.

#include "records/profile.h"
#include "sync/run_control.h"
#include "sync/sync_context.h"

namespace tarvela {

// The work computer sends ("рабочий с домашним").
HalfResult RunWorkHome_Work(SyncContext& ctx, const TProfilLine& task);
// The home computer sends ("домашний с рабочим").
HalfResult RunHomeWork_Home(SyncContext& ctx, const TProfilLine& task);

} // namespace tarvela
