#include "sync/run_control.h"

#include "log/clock_text.h"
#include "copy/copier.h"
#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "platform/file_system.h"
#include "platform/run_lock.h"
#include "sync/receive_half.h"
#include "log/run_log.h"
#include "sync/send_half.h"
#include "records/store_layout.h"

#include <chrono>

namespace tarvela {
namespace {

// Forwards everything to the front end and keeps a copy of every echo line in the run's log.
class LoggingHost final : public RunHost {
public:
    LoggingHost(RunHost& inner, RunLog& log) : inner_(inner), log_(log) {}

    void echo(std::string_view text, std::uint32_t color) override {
        inner_.echo(text, color);
        log_.AddLogText(text, color);
    }
    void showProgressPanel(bool visible) override { inner_.showProgressPanel(visible); }
    void hideProgressPanelLater() override { inner_.hideProgressPanelLater(); }
    void setFolderProgress(std::int64_t p, std::int64_t m) override { inner_.setFolderProgress(p, m); }
    void setFileProgress(std::int64_t p, std::int64_t m) override { inner_.setFileProgress(p, m); }
    void setFolderLabel(std::string_view path) override { inner_.setFolderLabel(path); }
    void setFileLabel(std::string_view path) override { inner_.setFileLabel(path); }
    void setTaskProgress(std::int64_t position) override { inner_.setTaskProgress(position); }
    void setTaskStopViewProg() override { inner_.setTaskStopViewProg(); }
    void setBusy(bool busy) override { inner_.setBusy(busy); }
    bool stopRequested() const override { return inner_.stopRequested(); }
    FullCopyAnswer askFullCopy(std::string_view folder) override { return inner_.askFullCopy(folder); }
    DeleteAnswer askDelete(std::string_view path) override { return inner_.askDelete(path); }
    void showError(std::string_view message) override { inner_.showError(message); }
    void runLongCall(const std::function<void()>& call) override { inner_.runLongCall(call); }

protected:
    void processEvents() override { inner_.letEventsRun(); }

private:
    RunHost& inner_;
    RunLog& log_;
};

HalfResult runTheHalf(SyncContext& ctx, const TProfilLine& task, Direction direction, Role role) {
    if (direction == Direction::WorkHome) {
        return role == Role::Work ? RunWorkHome_Work(ctx, task) : RunWorkHome_Home(ctx, task);
    }
    return role == Role::Work ? RunHomeWork_Work(ctx, task) : RunHomeWork_Home(ctx, task);
}

// Points the copier's progress and failure lines at `host` for the life of this object.
class CopierTarget {
public:
    CopierTarget(IFileCopier& copier, RunHost& during, RunHost& after) : copier_(copier), after_(after) {
        copier_.SetProgressBar(&during);
        copier_.WriteMemoResult(&during);
    }
    ~CopierTarget() {
        copier_.SetProgressBar(&after_);
        copier_.WriteMemoResult(&after_);
    }
    CopierTarget(const CopierTarget&) = delete;
    CopierTarget& operator=(const CopierTarget&) = delete;

private:
    IFileCopier& copier_;
    RunHost& after_;
};

// What every run leaves behind on the front end, however it ended: no progress display, no
// taskbar progress, the normal cursor.
class CleanUp {
public:
    explicit CleanUp(RunHost& host) : host_(host) {}
    ~CleanUp() {
        host_.showProgressPanel(false);
        host_.setTaskProgress(0);
        host_.setTaskStopViewProg();
        host_.setBusy(false);
    }
    CleanUp(const CleanUp&) = delete;
    CleanUp& operator=(const CleanUp&) = delete;

private:
    RunHost& host_;
};

} // namespace

DirectionButtons TestState(const std::string& programPath, bool anyProfile, const TProfilLine& TaskData, Role role) {
    if (!anyProfile || !isPlainStoreName(TaskData.Id.text())) return {};
    const std::string pathTask = transferStoreFolder(programPath, TaskData.Id.text());
    const bool w = platform::folderExists(storeRoot(pathTask, Side::Work));
    const bool h = platform::folderExists(storeRoot(pathTask, Side::Home));
    const bool work = role == Role::Work;
    if (!w && !h) return {work, !work};
    if (work) return {true, h};
    return {w, true};
}

HalfResult RunHalf(SyncContext& ctx, const TProfilLine& task, Direction direction, Role role) {
    // The identifier comes from the profile file on the medium; it must name one folder below Task.
    if (!isPlainStoreName(task.Id.text())) throw FileError(msg::kBadProfileId, task.Id.text(), 0);
    const DirectionButtons enabled = TestState(ctx.ProgramPath, true, task, role);
    if (!(direction == Direction::WorkHome ? enabled.WorkHome : enabled.HomeWork)) return HalfResult::NotEnabled;

    ctx.PathTask = transferStoreFolder(ctx.ProgramPath, task.Id.text());
    // The run keeps the exclusions of the profile it was started for.
    ctx.ListExcept = CreateListExcept(task.LineExcept.text());

    // The lock lives in the profile's store folder; a sending half creates that folder anyway.
    platform::createFolders(ctx.PathTask);
    const auto lock = platform::RunLock::tryAcquire(ctx.PathTask);
    if (!lock) return HalfResult::Busy;

    RunHost& frontEnd = ctx.host;
    const CleanUp cleanUp(frontEnd);
    if (!task.SaveLog) {
        const CopierTarget target(ctx.FileCopier, frontEnd, frontEnd);
        return runTheHalf(ctx, task, direction, role);
    }

    RunLog log;
    log.AddLogText(startLineText(std::chrono::system_clock::now()), color::kMaroon);
    LoggingHost logging(frontEnd, log);
    SyncContext logged{ctx.ProgramPath, ctx.ListExcept, logging, ctx.FileCopier, ctx.PathTask};
    HalfResult result;
    try {
        const CopierTarget target(ctx.FileCopier, logging, frontEnd);
        result = runTheHalf(logged, task, direction, role);
    } catch (const FileError& failure) {
        // The log keeps the lines up to the failure; the failure itself goes to the front end, and
        // with it the log's own failure if the log cannot be written either.
        try {
            AddLogTmpToLogFile(log, ctx.PathTask, task.Id.text());
        } catch (const FileError& logFailure) {
            throw FileError(failure, logFailure);
        }
        throw;
    }
    AddLogTmpToLogFile(log, ctx.PathTask, task.Id.text());
    return result;
}

} // namespace tarvela
