#pragma once
// The engine's front end on a terminal: echo lines on stdout, the progress line and the questions
// on stderr, the stop request from Ctrl-C.

#include "cli_options.h"
#include "progress_line.h"
#include "base/run_host.h"

#include <atomic>
#include <istream>
#include <ostream>

namespace tarvela::cli {

struct TerminalSettings {
    bool color = false;    // ANSI colours on the echo lines (stdout is a terminal, colour not refused)
    bool progress = false; // the progress line on stderr (stderr is a terminal)
    bool canAsk = false;   // stdin is a terminal: unanswered questions are asked there
    FullCopyChoice fullCopy = FullCopyChoice::Unset;
    DeleteChoice deleteChoice = DeleteChoice::Unset;
    bool allowMassRemoval = false; // a receive may remove more than half of a pair's files
    bool allowEmptiedFolder = false; // a pair folder that reads empty was emptied on purpose
    std::size_t width = 80; // columns of the progress line
};

class TerminalHost final : public RunHost {
public:
    TerminalHost(std::istream& in, std::ostream& out, std::ostream& err, const std::atomic<bool>& stop,
                 TerminalSettings settings);

    // One line of the echo's text, written out at once (also when stdout is a pipe or a file).
    // Control characters are shown as \n, \x1b and the like, so a file name can neither send
    // commands to the terminal nor forge a line.
    void echo(std::string_view text, std::uint32_t color) override;

    void showProgressPanel(bool visible) override;
    void hideProgressPanelLater() override { showProgressPanel(false); }
    void setFolderProgress(std::int64_t position, std::int64_t maximum) override;
    void setFileProgress(std::int64_t position, std::int64_t maximum) override;
    void setFolderLabel(std::string_view) override {}
    void setFileLabel(std::string_view path) override;
    void setTaskProgress(std::int64_t) override {}
    void setTaskStopViewProg() override {}
    void setBusy(bool) override {}

    bool stopRequested() const override { return stop_.load(); }

    FullCopyAnswer askFullCopy(std::string_view folder) override;
    DeleteAnswer askDelete(std::string_view path) override;
    void showError(std::string_view message) override;
    bool askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) override;
    bool askEmptiedFolder(std::string_view folder) override;

protected:
    void processEvents() override {}

private:
    void draw(); // at most every 100 ms, also after an echo line erased it
    void erase();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    const std::atomic<bool>& stop_;
    TerminalSettings settings_;
    ProgressLine line_;
    bool panel_ = false; // a run is showing progress
    bool drawn_ = false; // the progress line stands on the terminal now
    ProgressLine::Clock::time_point lastDraw_{};
    bool toldFullCopy_ = false;
    bool toldDelete_ = false;
    bool toldMassRemoval_ = false;
    bool toldEmptiedFolder_ = false;
};

// The ANSI escape that starts an echo line of this colour; empty for black and for colours outside
// the echo's palette (the terminal's own colour).
std::string_view ansiColor(std::uint32_t color);

} // namespace tarvela::cli
