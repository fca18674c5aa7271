#include "stop_signal.h"

#include "copy/copier.h"

#include <csignal>

namespace tarvela::cli {
namespace {

// A signal handler reaches nothing but objects of static duration; these two are the whole of it
// and only lock-free atomics, which a handler may touch.
std::atomic<bool> stopRequested{false};
std::atomic<IFileCopier*> stoppedCopier{nullptr};
static_assert(std::atomic<IFileCopier*>::is_always_lock_free);

extern "C" void onStopSignal(int) {
    stopRequested.store(true);
    if (IFileCopier* copier = stoppedCopier.load())
        copier->SetCopyBreak(true);
}

void handle(int signal, void (*handler)(int), unsigned flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a read of an answer or a write of an echo line goes on after the signal.
    action.sa_flags = static_cast<int>(flags);
    ::sigaction(signal, &action, nullptr);
}

} // namespace

StopSignal::StopSignal(IFileCopier& copier) {
    stopRequested.store(false);
    stoppedCopier.store(&copier);
    // SA_RESETHAND: the second Ctrl-C ends the process for a user who does not want to wait.
    handle(SIGINT, onStopSignal, SA_RESTART | SA_RESETHAND);
    handle(SIGTERM, onStopSignal, SA_RESTART | SA_RESETHAND);
}

StopSignal::~StopSignal() {
    handle(SIGINT, SIG_DFL, 0);
    handle(SIGTERM, SIG_DFL, 0);
    stoppedCopier.store(nullptr);
}

const std::atomic<bool>& StopSignal::flag() const {
    return stopRequested;
}

} // namespace tarvela::cli
