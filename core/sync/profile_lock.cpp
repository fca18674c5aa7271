#include "sync/profile_lock.h"

#include "platform/file_system.h"
#include "records/store_layout.h"

namespace tarvela {

ProfileChangeLock lockProfileForChange(const std::string& programPath, const std::string& id) {
    if (!isPlainStoreName(id))
        return {};
    const std::string store = transferStoreFolder(programPath, id);
    if (!platform::folderExists(store))
        return {};
    auto lock = platform::RunLock::tryAcquire(store);
    const bool busy = lock == nullptr;
    return {busy, std::move(lock)};
}

} // namespace tarvela
