#pragma once
// The engine's only way to its front end (the desktop window, the terminal, a test). Everything a
// scan, a copy, a deletion or a half needs from the outside goes through here; the engine never
// includes anything of a GUI.

#include "base/echo_color.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

namespace tarvela {

// Answers of the deletion question, named after its four buttons. Closed: the window was closed
// without a button.
enum class DeleteAnswer { Yes, No, YesToAll, NoToAll, Closed };

// Result of the full-copy question: 1 copy every file, 7 copy nothing, 3 refused (or closed).
enum class FullCopyResult : int { CopyAll = 1, CopyNothing = 7, Refused = 3 };

struct FullCopyAnswer {
    FullCopyResult result = FullCopyResult::Refused;
    bool all = false; // the answer holds for every later pair of the run
};

// Files and bytes of a send that carries only part of its files this trip.
struct TripTotals {
    std::int64_t storedFiles = 0, storedBytes = 0; // stored so far
    std::int64_t tripFiles = 0, tripBytes = 0;     // chosen for this trip
    std::int64_t allFiles = 0, allBytes = 0;       // everything there is to carry
};

class RunHost {
public:
    virtual ~RunHost() = default;

    // One line of the operation echo in a colour of EchoColor (0x00BBGGRR).
    virtual void echo(std::string_view text, std::uint32_t color) = 0;

    // The progress panel: shown during copies, hidden after a run.
    virtual void showProgressPanel(bool visible) = 0;
    // Hides the progress panel about one second from now (the panel timer).
    virtual void hideProgressPanelLater() = 0;
    // Files done of the current list (ProgressBarFolder); maximum first set, then position advanced.
    virtual void setFolderProgress(std::int64_t position, std::int64_t maximum) = 0;
    // Bytes done of the current file (ProgressBarFile).
    virtual void setFileProgress(std::int64_t position, std::int64_t maximum) = 0;
    // The folder and file labels of the progress panel (shortened by the front end to fit).
    virtual void setFolderLabel(std::string_view path) = 0;
    virtual void setFileLabel(std::string_view path) = 0;
    // Progress on the program's taskbar entry, out of the folder bar's maximum; and its removal.
    virtual void setTaskProgress(std::int64_t position) = 0;
    virtual void setTaskStopViewProg() = 0;
    virtual void setBusy(bool busy) = 0;
    // A send that carries only part of its files this trip: what it has stored so far, what this
    // trip will carry, and all it had to carry. Shown beside the bars; a front end without the
    // place ignores it.
    virtual void setTripProgress(const TripTotals& totals) { (void)totals; }

    // The stop request of the running half (StopCopy), set by the stop button or Ctrl-C.
    virtual bool stopRequested() const = 0;

    // The two questions of a run and the error message box.
    virtual FullCopyAnswer askFullCopy(std::string_view folder) = 0;
    virtual DeleteAnswer askDelete(std::string_view path) = 0;
    virtual void showError(std::string_view message) = 0;
    // Asked once before a receive removes `count` of the `listed` files that the two computers
    // last agreed on in `folder` (more than half of them): true lets the removals go ahead. A
    // front end without this question keeps everything.
    virtual bool askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) {
        (void)folder, (void)count, (void)listed;
        return false;
    }
    // Asked when a pair folder reads empty although the two computers last agreed that it holds
    // files: true when the user emptied it on purpose, so that its emptiness counts as removals
    // made here (which then travel to the other computer). A front end without this question
    // leaves the pair alone.
    virtual bool askEmptiedFolder(std::string_view folder) {
        (void)folder;
        return false;
    }

    // Runs a long call that cannot report progress (flushing a drive's caches) and returns when it
    // is over. Here it simply runs; a front end with a window runs it on another thread and keeps
    // its events running meanwhile, so that the window does not freeze.
    virtual void runLongCall(const std::function<void()>& call) { call(); }

    // Lets the front end's pending events run (the stop button, repaints). Long operations call
    // this as often as they like; it reaches processEvents() at most once per kEventInterval.
    void letEventsRun() {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastEvents_ >= kEventInterval) {
            lastEvents_ = now;
            processEvents();
        }
    }

    static constexpr std::chrono::milliseconds kEventInterval{20};

protected:
    virtual void processEvents() = 0;

private:
    std::chrono::steady_clock::time_point lastEvents_{};
};

// A host that shows nothing, never stops and refuses every question: for tools and benchmarks
// that only need the engine's results, and the base of test fakes.
class QuietRunHost : public RunHost {
public:
    void echo(std::string_view, std::uint32_t) override {}
    void showProgressPanel(bool) override {}
    void hideProgressPanelLater() override {}
    void setFolderProgress(std::int64_t, std::int64_t) override {}
    void setFileProgress(std::int64_t, std::int64_t) override {}
    void setFolderLabel(std::string_view) override {}
    void setFileLabel(std::string_view) override {}
    void setTaskProgress(std::int64_t) override {}
    void setTaskStopViewProg() override {}
    void setBusy(bool) override {}
    bool stopRequested() const override { return false; }
    FullCopyAnswer askFullCopy(std::string_view) override { return {}; }
    DeleteAnswer askDelete(std::string_view) override { return DeleteAnswer::NoToAll; }
    void showError(std::string_view) override {}

protected:
    void processEvents() override {}
};

} // namespace tarvela
