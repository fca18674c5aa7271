#pragma once
// A profile is not changed, removed or cleared while a run of it is in progress, in this process
// or another: the change holds the same lock that a run takes in the profile's transfer store.

#include "platform/run_lock.h"

#include <memory>
#include <string>

namespace tarvela {

struct ProfileChangeLock {
    bool busy = false;                       // a run of the profile holds its store
    std::unique_ptr<platform::RunLock> held; // null when the profile has no store folder yet
};

// Takes the run lock of the profile's transfer store folder for the time of a change. A profile
// without a store folder has no run in progress: nothing is created for it. Throws FileError when
// the lock file cannot be made.
ProfileChangeLock lockProfileForChange(const std::string& programPath, const std::string& id);

} // namespace tarvela
