#include "sync/run_control.h"

#include "log/clock_text.h"
#include "copy/copier.h"
#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/path_display.h"
#include "base/visible_text.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "platform/run_lock.h"
#include "sync/receive_half.h"
#include "log/run_log.h"
#include "sync/send_half.h"
#include "records/store_layout.h"
#include "sync/run_plan.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace tarvela {
namespace {

// The echo path of a run: every line reaches the front end (and the run's log, when it keeps one)
// with its control characters made visible and its Windows paths in their own form, and the red
// ones, the failures of single items, are counted. Everything else is forwarded as it is.
class RunEchoHost final : public RunHost {
public:
    RunEchoHost(RunHost& inner, RunLog* log) : inner_(inner), log_(log) {}

    void echo(std::string_view text, std::uint32_t color) override {
        const std::string visible = windowsPathsInOwnForm(visibleText(text));
        inner_.echo(visible, color);
        if (log_ != nullptr) log_->AddLogText(visible, color);
        if (color::normalized(color) == color::kRed) ++failures_;
        if (color::normalized(color) == color::kOrange) ++notices_;
    }
    std::int64_t failures() const { return failures_; }
    // Conflicts and files kept here: notices for the user, not failures.
    std::int64_t notices() const { return notices_; }

    void showProgressPanel(bool visible) override { inner_.showProgressPanel(visible); }
    void hideProgressPanelLater() override { inner_.hideProgressPanelLater(); }
    void setFolderProgress(std::int64_t p, std::int64_t m) override { inner_.setFolderProgress(p, m); }
    void setFileProgress(std::int64_t p, std::int64_t m) override { inner_.setFileProgress(p, m); }
    void setFolderLabel(std::string_view path) override { inner_.setFolderLabel(path); }
    void setFileLabel(std::string_view path) override { inner_.setFileLabel(path); }
    void setTaskProgress(std::int64_t position) override { inner_.setTaskProgress(position); }
    void setTaskStopViewProg() override { inner_.setTaskStopViewProg(); }
    void setBusy(bool busy) override { inner_.setBusy(busy); }
    void setTripProgress(const TripTotals& totals) override { inner_.setTripProgress(totals); }
    bool stopRequested() const override { return inner_.stopRequested(); }
    FullCopyAnswer askFullCopy(std::string_view folder) override { return inner_.askFullCopy(folder); }
    DeleteAnswer askDelete(std::string_view path) override { return inner_.askDelete(path); }
    bool askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) override {
        return inner_.askMassRemoval(folder, count, listed);
    }
    bool askEmptiedFolder(std::string_view folder) override { return inner_.askEmptiedFolder(folder); }
    void showError(std::string_view message) override { inner_.showError(message); }
    void runLongCall(const std::function<void()>& call) override { inner_.runLongCall(call); }

protected:
    void processEvents() override { inner_.letEventsRun(); }

private:
    RunHost& inner_;
    RunLog* log_;
    std::int64_t failures_ = 0;
    std::int64_t notices_ = 0;
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

HalfResult RunHalf(SyncContext& ctx, const TProfilLine& task, Direction direction, Role role,
                   std::int64_t* failedItems) {
    if (failedItems != nullptr) *failedItems = 0;
    // The identifier comes from the profile file on the medium; it must name one folder below Task.
    if (!isPlainStoreName(task.Id.text())) throw FileError(msg::kBadProfileId, task.Id.text(), 0);
    const DirectionButtons enabled = TestState(ctx.ProgramPath, true, task, role);
    if (!(direction == Direction::WorkHome ? enabled.WorkHome : enabled.HomeWork)) return HalfResult::NotEnabled;

    ctx.PathTask = transferStoreFolder(ctx.ProgramPath, task.Id.text());
    // The run keeps the exclusions of the profile it was started for.
    ctx.ListExcept = CreateListExcept(task.LineExcept.text());

    // "Task" and the profile's folder on the medium must be real folders: through a link, tables,
    // stored copies and the lock would be written anywhere.
    if (const std::string link = platform::linkBelow(ctx.ProgramPath, ctx.PathTask); !link.empty()) {
        throw FileError(msg::kLinkOnMedium, link, 0);
    }
    // A dry run writes nothing on the medium: no log, no store folder, no lock file. It still waits
    // for no one: a run that holds an existing lock makes it say so.
    const bool plan = ctx.plan != nullptr;
    const bool saveLog = task.SaveLog && !plan;
    std::unique_ptr<platform::RunLock> lock;
    if (!plan) {
        // The lock lives in the profile's store folder; a sending half creates that folder anyway.
        platform::createFolders(ctx.PathTask);
        lock = platform::RunLock::tryAcquire(ctx.PathTask);
        if (!lock) return HalfResult::Busy;
        // Table and log temporaries of a run that was killed before it could replace its files.
        platform::removeAtomicLeftovers(ctx.PathTask);
    } else if (platform::pathKindNoFollow(ctx.PathTask + "/" + platform::RunLock::kFileName) ==
               platform::PathKind::File) {
        lock = platform::RunLock::tryAcquire(ctx.PathTask);
        if (!lock) return HalfResult::Busy;
    }
    // A dry run's fresh tables go to a temporary folder of this computer, removed afterwards.
    std::optional<PlanTableFolder> planTables;
    if (plan) {
        planTables.emplace();
        ctx.plan->tableFolder = planTables->path();
    }

    RunHost& frontEnd = ctx.host;
    const CleanUp cleanUp(frontEnd);
    RunLog log;
    if (saveLog) log.AddLogText(startLineText(std::chrono::system_clock::now()), color::kMaroon);
    RunEchoHost echoHost(frontEnd, saveLog ? &log : nullptr);
    SyncContext run{ctx.ProgramPath, ctx.ListExcept, echoHost, ctx.FileCopier, ctx.PathTask, ctx.plan};
    HalfResult result;
    std::int64_t failures = 0;
    try {
        const CopierTarget target(ctx.FileCopier, echoHost, frontEnd);
        if (plan) echoHost.echo(msg::kPlanHeading, color::kBlack);
        result = runTheHalf(run, task, direction, role);
        // A stop is the user's choice, not a failure: said once, with what it left and what to do.
        if (result == HalfResult::Stopped) {
            if (!isSendingHalf(direction, role))
                echoHost.echo(msg::kReceiveStopped, color::kOrange);
            else if (!plan)
                echoHost.echo(msg::kSendStopped, color::kOrange);
        }
        if (plan && result == HalfResult::Completed)
            echoHost.echo(planSummary(*ctx.plan, isSendingHalf(direction, role)), color::kBlack);
        failures = echoHost.failures();
        // A half that reached its end line counts what the user should look at: notices first
        // (conflicts, files kept here), then failures last — "done" must not be read into a run
        // that left files behind.
        if (result == HalfResult::Completed && echoHost.notices() > 0) {
            echoHost.echo(std::string(msg::kCompletedWithNotices) + std::to_string(echoHost.notices()), color::kOrange);
        }
        if (result == HalfResult::Completed && failures > 0) {
            echoHost.echo(std::string(msg::kCompletedWithFailures) + std::to_string(failures), color::kRed);
        }
    } catch (const FileError& failure) {
        // The log keeps the lines up to the failure; the failure itself goes to the front end, and
        // with it the log's own failure if the log cannot be written either.
        if (failedItems != nullptr) *failedItems = echoHost.failures();
        if (saveLog) {
            try {
                AddLogTmpToLogFile(log, ctx.PathTask, task.Id.text());
            } catch (const FileError& logFailure) {
                throw FileError(failure, logFailure);
            }
        }
        throw;
    }
    if (failedItems != nullptr) *failedItems = failures;
    if (saveLog) AddLogTmpToLogFile(log, ctx.PathTask, task.Id.text());
    return result;
}

} // namespace tarvela
