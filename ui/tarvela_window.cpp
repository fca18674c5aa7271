#include "tarvela_window.h"

#include "log/clock_text.h"
#include "delete_question.h"
#include "dialog_ful_copy.h"
#include "copy/disk_tools.h"
#include "base/echo_color.h"
#include "echo_pane.h"
#include "base/errors.h"
#include "base/messages.h"
#include "message_boxes.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "records/profile_file.h"
#include "records/profile_rules.h"
#include "sync/profile_lock.h"
#include "progress_panel.h"
#include "qt_text.h"
#include "records/store_layout.h"
#include "tarvela_config.h"
#include "ui_texts.h"
#include "view_log.h"
#include "window_settings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <chrono>
#include <exception>
#include <thread>

// The pictures are compiled into this static library; its resource initialiser must be called
// explicitly, since nothing else pulls it into the program.
static void initArt() {
    Q_INIT_RESOURCE(art);
}

namespace tarvela::ui {
namespace {

std::string logFileOf(const std::string& programPath, const TProfilLine& task) {
    return logFile(transferStoreFolder(programPath, task.Id.text()), task.Id.text());
}

} // namespace

TFmTarvela::TFmTarvela(std::string programPath, QWidget* parent)
    : QWidget(parent), ProgramPath(std::move(programPath)) {
    initArt();
    TaskBarList.attach(this);
    setObjectName(QStringLiteral("FmTarvela"));
    setWindowTitle(QString::fromUtf8(text::kAppTitle));
    // The default look, before any control exists.
    StyleManager.SetStyle(QString::fromLatin1(TStyleManager::kDefaultStyle));
    buildControls();
    move(0, 0);
    // The other windows of the program, created after the main window and kept for its whole life.
    FmConfig = new TFmConfig(*this, this);
    FmDialogFulCopy = new TFmDialogFulCopy(this);
    FmViewLog = new TFmViewLog(modal_, this);
}

TFmTarvela::~TFmTarvela() {
    if (busy_)
        QApplication::restoreOverrideCursor();
}

void TFmTarvela::FormCreate() {
    readSettings();
    setCursor(Qt::ArrowCursor);
    AddEchoText(startLineText(std::chrono::system_clock::now()), color::kMaroon);

    // The identity as it stands in a profile's IdPC field: 8-bit, at most 25 characters.
    PCIdent = ShortString<25>::fromText(GetHDSerNo()).bytes();

    try {
        ProfileFileContent content = readProfileFile(ProgramPath);
        ProfilArray = std::move(content.profiles);
        // The whole records are used; the part after them is not, and the next save drops it.
        if (content.partialRecordBytes > 0)
            AddEchoText(std::string(msg::kProfileFilePartialRecord) + profileFilePath(ProgramPath), color::kRed);
    } catch (const FileError& e) {
        // The list keeps what could be read (nothing); the program goes on without profiles.
        ProfilArray.clear();
        showErrorBox(modal_, this, windowTitle(), qs(e.what()));
    }
    FillProfileList();
    Task = ProfilArray.empty() ? TProfilLine{} : ProfilArray.front();
    ListExcept = CreateListExcept(Task.LineExcept.text());
    ExistenceData();
    RzLblVersion->setText(QString::fromUtf8(text::kVersionPrefix) + QStringLiteral(TARVELA_VERSION));
    // The copier's progress and failure lines go to this window (and to a run's log during a
    // logged run: the run frame points it there).
    FileCopier.SetProgressBar(this);
    FileCopier.WriteMemoResult(this);
    fillStyleMenu();
}

void TFmTarvela::readSettings() {
    const WindowSettings saved = readWindowSettings();
    // A name this build does not know leaves the default style.
    if (!saved.style.isEmpty())
        StyleManager.SetStyle(saved.style);
    if (saved.position)
        move(*saved.position);
}

void TFmTarvela::writeSettings() {
    writeWindowSettings(StyleManager.ActiveStyleName(), pos());
}

void TFmTarvela::fillStyleMenu() {
    PopupMenuStyleThemes->clear();
    for (const QString& name : TStyleManager::StyleNames()) {
        QAction* item = PopupMenuStyleThemes->addAction(name);
        connect(item, &QAction::triggered, this, [this, item] { LoadStyle(item); });
    }
}

void TFmTarvela::LoadStyle(QAction* Sender) {
    if (Sender != nullptr)
        StyleManager.SetStyle(Sender->text());
}

void TFmTarvela::FillProfileList() {
    const QSignalBlocker blocker(RzListBoxProfile);
    RzListBoxProfile->clear();
    for (const TProfilLine& p : ProfilArray)
        RzListBoxProfile->addItem(qs(p.NameConf.text()));
    RzListBoxProfile->setCurrentRow(-1);
}

bool TFmTarvela::ExistenceData() {
    const bool any = !ProfilArray.empty();
    for (QPushButton* b : {RzBitBtnEditConfig, RzBitBtnDelProfil})
        b->setEnabled(any);
    // A direction runs the highlighted profile: with no line highlighted there is none to run.
    const bool runnable = any && selectedProfile().has_value();
    for (QPushButton* b : {RzBtnTarvelaWorkHome, RzBtnTarvelaHomeWork})
        b->setEnabled(runnable);
    return any;
}

// The highlighted line, not the list's current row: a click on the empty part of the list clears
// the highlight but keeps the current row, and what the user sees must be what is run, edited or
// deleted.
std::optional<std::size_t> TFmTarvela::selectedProfile() const {
    const QList<QListWidgetItem*> selected = RzListBoxProfile->selectedItems();
    if (selected.size() != 1)
        return std::nullopt;
    const int row = RzListBoxProfile->row(selected.front());
    if (row < 0 || static_cast<std::size_t>(row) >= ProfilArray.size())
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::optional<Role> TFmTarvela::role() const {
    if (RzRadioButtonHome->isChecked())
        return Role::Home;
    if (RzRadioButtonWork->isChecked())
        return Role::Work;
    return std::nullopt;
}

void TFmTarvela::setRole(std::optional<Role> chosen) {
    if (chosen) {
        (*chosen == Role::Work ? RzRadioButtonWork : RzRadioButtonHome)->setChecked(true);
        return;
    }
    // Exclusive radio buttons cannot be turned off one by one.
    for (QRadioButton* b : {RzRadioButtonWork, RzRadioButtonHome}) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

std::optional<Role> TFmTarvela::roleFor(const TProfilLine& profile) const {
    if (profile.IdPC.bytes() == PCIdent)
        return profile.isWorkRole() ? Role::Work : Role::Home;
    if (const auto chosen = rolesChosenHere_.find(profile.Id.bytes()); chosen != rolesChosenHere_.end())
        return chosen->second;
    return std::nullopt;
}

// The user said which computer this is for the selected profile: kept for it while the program runs.
void TFmTarvela::rememberRoleChoice() {
    const auto row = selectedProfile();
    const auto chosen = role();
    if (row && chosen && ProfilArray[*row].IdPC.bytes() != PCIdent)
        rolesChosenHere_[ProfilArray[*row].Id.bytes()] = *chosen;
}

// With no role chosen nothing may run: the half a direction runs depends on the role, and the
// wrong one throws the other computer's batch away or rewrites its table.
void TFmTarvela::TestState(const TProfilLine& TaskData) {
    const auto chosen = role();
    const DirectionButtons enabled =
        chosen ? tarvela::TestState(ProgramPath, !ProfilArray.empty(), TaskData, *chosen) : DirectionButtons{};
    const bool selected = selectedProfile().has_value();
    RzBtnTarvelaWorkHome->setEnabled(selected && enabled.WorkHome);
    RzBtnTarvelaHomeWork->setEnabled(selected && enabled.HomeWork);
}

void TFmTarvela::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!running_)
        TestState(Task);
}

void TFmTarvela::FormActivate() {
    if (running_)
        return;
    const int NProf = FmConfig->NProf;
    if (!ProfilArray.empty() && NProf >= 0 && NProf < RzListBoxProfile->count()) {
        const QSignalBlocker blocker(RzListBoxProfile);
        RzListBoxProfile->setCurrentRow(NProf);
    }
    if (const auto row = selectedProfile())
        Task = ProfilArray[*row];
    RzListBoxProfileClick();
    TestState(Task);
}

// The main window becomes active: the first time, and when it comes back from a modeless window
// of the program (the profile editor, the log viewer). Modal dialogs and message boxes do not
// count.
void TFmTarvela::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    const bool fromModeless = FmViewLog->wasActivated() || FmConfig->wasActivated();
    FmViewLog->clearActivated();
    FmConfig->clearActivated();
    if (!shownOnce_ || fromModeless) {
        shownOnce_ = true;
        FormActivate();
    } else if (!running_) {
        // Another program (the command-line tool, the other computer) may have changed the store
        // on the medium while the user was elsewhere: the directions follow it.
        TestState(Task);
    }
}

void TFmTarvela::RzListBoxProfileClick() {
    if (running_)
        return;
    const auto row = selectedProfile();
    if (!row) {
        TestState(Task); // the highlight is gone: the direction buttons follow it
        return;
    }
    Task = ProfilArray[*row];
    const std::optional<Role> known = roleFor(Task);
    setRole(known);
    if (!known && roleNoticeGiven_.insert(Task.Id.bytes()).second) {
        AddEchoText(utf8(QString::fromUtf8(text::kChooseRoleNotice).arg(qs(Task.NameConf.text()))),
                    color::kOrange);
    }
    ListExcept = CreateListExcept(Task.LineExcept.text());
    TestState(Task);
}

void TFmTarvela::RzBitBtnAddProfilClick() {
    // While the editor is open it keeps the profile it shows; the button only brings it up.
    if (running_)
        return;
    if (!FmConfig->isVisible())
        FmConfig->ProfNew = true;
    FmConfig->showEditor();
}

void TFmTarvela::RzBitBtnEditConfigClick() {
    if (running_)
        return;
    const auto row = selectedProfile();
    if (!row)
        return;
    if (!FmConfig->isVisible()) {
        FmConfig->ProfNew = false;
        FmConfig->NProf = static_cast<int>(*row);
    }
    FmConfig->showEditor();
}

void TFmTarvela::RzBitBtnDelProfilClick() {
    if (running_)
        return;
    const auto row = selectedProfile();
    if (!row)
        return;
    const std::size_t index = *row;
    // An identifier that is not a plain name would name the "Task" folder itself or a folder
    // outside it: such a profile has no store to remove.
    const std::string id = ProfilArray[index].Id.text();
    const std::string idBytes = ProfilArray[index].Id.bytes();
    const std::string store = transferStoreFolder(ProgramPath, id);
    const bool hasStore = isPlainStoreName(id) && platform::folderExists(store);
    if (hasStore) {
        // The question names the profile, so that the answer is given knowingly.
        const QString question = QString::fromUtf8(text::kDeleteProfileQuestion) + QStringLiteral("\n\n") +
                                 QString::fromUtf8(text::kProfileNamed).arg(qs(ProfilArray[index].NameConf.text()));
        if (!askYesNo(modal_, this, QString::fromUtf8(text::kWarningTitle), question))
            return;
    }
    // The record goes first, from the file as it is now (the command-line tool may have changed it
    // since it was read): when the file cannot be written, nothing has changed, the store included.
    // A run of the profile in another process keeps both.
    try {
        const ProfileChangeLock runLock = isPlainStoreName(id) ? lockProfileForChange(ProgramPath, id)
                                                               : ProfileChangeLock{};
        if (runLock.busy) {
            showErrorBox(modal_, this, windowTitle(), QString::fromUtf8(text::kProfileBusy));
            return;
        }
        changeProfileFile([&](::tarvela::ProfilArray& fresh) {
            const auto at = findProfile(fresh, index, idBytes);
            if (at)
                fresh.erase(fresh.begin() + static_cast<std::ptrdiff_t>(*at));
            return at.has_value();
        });
        if (hasStore)
            DelDir(store, false, true, *this);
    } catch (const FileError& e) {
        showErrorBox(modal_, this, windowTitle(), qs(e.what()));
        return;
    }
    FmConfig->profileRemoved(static_cast<int>(index));
    FillProfileList();
    ExistenceData();
}

bool TFmTarvela::changeProfileFile(const std::function<bool(::tarvela::ProfilArray&)>& change) {
    ensureProfileFileWritable(ProgramPath);
    const std::unique_ptr<platform::FileLock> lock = platform::FileLock::lockExisting(profileFilePath(ProgramPath));
    ::tarvela::ProfilArray fresh = LoadProfiles(ProgramPath);
    if (!change(fresh)) {
        ProfilArray = std::move(fresh);
        return false;
    }
    WriteProfiles(ProgramPath, fresh);
    ProfilArray = std::move(fresh);
    return true;
}

std::optional<std::size_t> TFmTarvela::findProfile(const ::tarvela::ProfilArray& profiles, std::size_t hint,
                                                   const std::string& id) {
    if (hint < profiles.size() && profiles[hint].Id.bytes() == id)
        return hint;
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        if (profiles[i].Id.bytes() == id)
            return i;
    }
    return std::nullopt;
}

void TFmTarvela::RzRadioButtonWorkClick() {
    if (running_)
        return;
    rememberRoleChoice();
    TestState(Task);
}

void TFmTarvela::RzRadioButtonHomeClick() {
    if (running_)
        return;
    rememberRoleChoice();
    TestState(Task);
}

void TFmTarvela::RzBtnTarvelaWorkHomeClick() {
    runDirection(Direction::WorkHome);
}

void TFmTarvela::RzBtnTarvelaHomeWorkClick() {
    runDirection(Direction::HomeWork);
}

void TFmTarvela::setRunControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{RzListBoxProfile, RzRadioButtonWork, RzRadioButtonHome,
                                                      RzBitBtnAddProfil, RzBitBtnDelProfil, RzBitBtnEditConfig,
                                                      RzBtnTarvelaWorkHome, RzBtnTarvelaHomeWork})
        w->setEnabled(enabled);
    FmConfig->setRunning(!enabled);
}

// One half, framed: a second run cannot start while this one is in progress; whatever way the
// half ends (also a failed table or log file), the window is tidied and the buttons recomputed.
void TFmTarvela::runDirection(Direction direction) {
    if (running_)
        return;
    const auto row = selectedProfile();
    const auto thisRole = role();
    if (!row || !thisRole)
        return;

    running_ = true;
    setRunControlsEnabled(false);
    RzPanelProgress->setDeferred(true);
    RzPanelProgress->clearTrip();
    StopCopy = false;
    Task = ProfilArray[*row];
    PathTask = transferStoreFolder(ProgramPath, Task.Id.text());

    SyncContext ctx{ProgramPath, ListExcept, *this, FileCopier, PathTask};
    lastResult_.reset();
    try {
        lastResult_ = RunHalf(ctx, Task, direction, *thisRole);
        if (lastResult_ == HalfResult::Busy)
            showErrorBox(modal_, this, windowTitle(), QString::fromUtf8(text::kProfileBusy));
    } catch (const std::exception& e) {
        // The run frame has tidied the panel, the cursor and the log; the failure is shown here.
        showErrorBox(modal_, this, windowTitle(), qs(e.what()));
    }
    ListExcept = ctx.ListExcept;
    RzRichEditEchoCom->flush();

    running_ = false;
    RzPanelProgress->setDeferred(false);
    setRunControlsEnabled(true);
    ExistenceData();
    if (direction == Direction::WorkHome)
        RzPanelProgress->resetBars();
    // The run frame tidies this itself; a failure before it began (the store folder or its lock
    // could not be made) leaves it to this window.
    RzPanelProgress->hide();
    TaskBarList.stopProgress();
    TestState(Task);
    setBusy(false);

    if (closeAfterRun_)
        close();
}

void TFmTarvela::RzBtnStopCopyClick() {
    FileCopier.SetCopyBreak(true);
    StopCopy = true;
}

void TFmTarvela::Timer1Timer() {
    RzPanelProgress->hide();
    Timer1->stop();
}

void TFmTarvela::PopupMenuLogViewPopup() {
    N1ViewLog->setEnabled(platform::fileExists(logFileOf(ProgramPath, Task)));
}

void TFmTarvela::N1ViewLogClick() {
    const std::string path = logFileOf(ProgramPath, Task);
    if (platform::fileExists(path))
        FmViewLog->showLog(qs(path));
}

void TFmTarvela::AddEchoText(std::string_view text, std::uint32_t color) {
    RzRichEditEchoCom->AddEchoText(text, color);
}

void TFmTarvela::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        if (!closeAfterRun_ && askYesNo(modal_, this, windowTitle(), QString::fromUtf8(text::kStopAndClose))) {
            closeAfterRun_ = true;
            RzBtnStopCopyClick();
        }
        return;
    }
    writeSettings();
    FmConfig->close();
    FmViewLog->close();
    event->accept();
}

// RunHost.

void TFmTarvela::echo(std::string_view text, std::uint32_t color) {
    AddEchoText(text, color);
}

void TFmTarvela::showProgressPanel(bool visible) {
    // A hide still pending from an earlier copy must not take the panel, and its stop button, away
    // from the copy that shows it now.
    Timer1->stop();
    RzPanelProgress->setVisible(visible);
}

void TFmTarvela::hideProgressPanelLater() {
    // A half asks for this after each pair's full copy, while later pairs are still to come: during a
    // run the panel stays (the stop button with it) until the run frame hides it at the half's end.
    if (running_)
        return;
    Timer1->start();
}

void TFmTarvela::setFolderProgress(std::int64_t position, std::int64_t maximum) {
    RzPanelProgress->setFolderProgress(position, maximum);
}

void TFmTarvela::setFileProgress(std::int64_t position, std::int64_t maximum) {
    RzPanelProgress->setFileProgress(position, maximum);
    if (onFileProgress_)
        onFileProgress_();
}

void TFmTarvela::setFolderLabel(std::string_view path) {
    RzPanelProgress->setFolderLabel(qs(path));
}

void TFmTarvela::setFileLabel(std::string_view path) {
    RzPanelProgress->setFileLabel(qs(path));
}

void TFmTarvela::setTaskProgress(std::int64_t position) {
    TaskBarList.setProgress(position, RzPanelProgress->folderMaximum());
}

void TFmTarvela::setTripProgress(const TripTotals& totals) {
    RzPanelProgress->setTripTotals(totals);
}

void TFmTarvela::setTaskStopViewProg() {
    TaskBarList.stopProgress();
}

void TFmTarvela::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

FullCopyAnswer TFmTarvela::askFullCopy(std::string_view folder) {
    RzRichEditEchoCom->flush(); // the lines so far are in view when the question shows
    FmDialogFulCopy->NameFolder = qs(folder);
    const int mr = modal_.run(*FmDialogFulCopy);
    FullCopyAnswer answer;
    answer.result = mr == TFmDialogFulCopy::kCopyAll       ? FullCopyResult::CopyAll
                    : mr == TFmDialogFulCopy::kCopyNothing ? FullCopyResult::CopyNothing
                                                           : FullCopyResult::Refused;
    answer.all = FmDialogFulCopy->All;
    return answer;
}

DeleteAnswer TFmTarvela::askDelete(std::string_view path) {
    RzRichEditEchoCom->flush();
    return TDeleteQuestion::ask(modal_, this, qs(path));
}

bool TFmTarvela::askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) {
    RzRichEditEchoCom->flush();
    const std::string text = std::string(msg::kMassRemovalQuestion) + std::to_string(count) +
                             std::string(msg::kMassRemovalOf) + std::to_string(listed) +
                             std::string(msg::kMassRemovalIn) + std::string(folder) + "?";
    return askYesNo(modal_, this, qs(msg::kAttention), qs(text));
}

bool TFmTarvela::askEmptiedFolder(std::string_view folder) {
    RzRichEditEchoCom->flush();
    const std::string text =
        std::string(msg::kEmptiedFolderQuestion) + std::string(folder) + std::string(msg::kEmptiedFolderQuestionEnd);
    return askYesNo(modal_, this, qs(msg::kAttention), qs(text));
}

void TFmTarvela::showError(std::string_view message) {
    RzRichEditEchoCom->flush();
    showErrorBox(modal_, this, QString::fromUtf8(text::kErrorTitle), qs(message));
}

// The call runs on a thread of its own while this window's events keep running (the end line is
// painted, the stop and close buttons answer), with the busy cursor shown.
void TFmTarvela::runLongCall(const std::function<void()>& call) {
    const bool wasBusy = busy_;
    setBusy(true);
    QEventLoop waiting;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    worker.join();
    setBusy(wasBusy);
    if (failure)
        std::rethrow_exception(failure);
}

void TFmTarvela::processEvents() {
    QCoreApplication::processEvents();
}

} // namespace tarvela::ui
