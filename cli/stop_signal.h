#pragma once
// Ctrl-C as the stop button: SIGINT (and SIGTERM) set the run's stop flag and the copier's break
// flag, so the file being copied is abandoned and the half stops at its next check. The handler is
// installed once per process; a second signal ends the process at once.

#include <atomic>

namespace tarvela {
class IFileCopier;
}

namespace tarvela::cli {

class StopSignal {
public:
    // Installs the handlers for this copier. Only one StopSignal may exist at a time.
    explicit StopSignal(IFileCopier& copier);
    // Puts the default handlers back.
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Set by the first signal.
    const std::atomic<bool>& flag() const;
};

} // namespace tarvela::cli
