#include "stop_signal.h"

#include "copy/copier.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarvela::cli {
namespace {

// The console's control handler runs on a thread of its own; it reaches these lock-free atomics only.
std::atomic<bool> stopRequested{false};
std::atomic<IFileCopier*> stoppedCopier{nullptr};
static_assert(std::atomic<IFileCopier*>::is_always_lock_free);

// Ctrl-C, Ctrl-Break and closing the console window stop the run like the stop button. A second
// Ctrl-C is left to the system, which ends the process at once for a user who does not want to wait.
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (stopRequested.exchange(true) && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (IFileCopier* copier = stoppedCopier.load())
        copier->SetCopyBreak(true);
    // A closed window ends the process when this handler returns: give the run the few seconds the
    // system allows to stop at its next check and write its end line.
    if (event == CTRL_CLOSE_EVENT)
        ::Sleep(4500);
    return TRUE;
}

} // namespace

StopSignal::StopSignal(IFileCopier& copier) {
    stopRequested.store(false);
    stoppedCopier.store(&copier);
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopSignal::~StopSignal() {
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
    stoppedCopier.store(nullptr);
}

const std::atomic<bool>& StopSignal::flag() const {
    return stopRequested;
}

} // namespace tarvela::cli
