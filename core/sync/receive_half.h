#pragma once
// The receiving half: on the computer whose folders are the destination of the direction, apply
// what the other computer put into the transfer store: copy the carried files into place, remove
// what vanished on the source side (as the profile's options say), scan every folder again so
// that this computer's tables describe the result, and remove the applied store.

#include "records/profile.h"
#include "sync/run_control.h"
#include "sync/sync_context.h"

namespace tarvela {

// The home computer receives ("рабочий с домашним").
HalfResult RunWorkHome_Home(SyncContext& ctx, const TProfilLine& task);
// The work computer receives ("домашний с рабочим").
HalfResult RunHomeWork_Work(SyncContext& ctx, const TProfilLine& task);

} // namespace tarvela
