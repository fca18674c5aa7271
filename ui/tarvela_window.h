#pragma once
// The main window: the profile list, the role of this computer, the two direction buttons, the
// echo and the progress panel. It owns the state every run works on (ProgramPath, ProfilArray,
// Task, PCIdent, ListExcept, PathTask, StopCopy, the copier) and is the engine's RunHost.
//
// Only one run at a time: while a half runs, the direction buttons, the role, the profile list,
// the profile buttons and the editor's save and clearing take no input, and closing the window asks
// whether to stop the run; the window closes once the run has ended.

#include "copy/copier.h"
#include "modal_driver.h"
#include "records/profile.h"
#include "sync/run_control.h"
#include "base/run_host.h"
#include "style_manager.h"
#include "sync/sync_context.h"
#include "taskbar_progress.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QLabel;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tarvela::ui {

class EchoPane;
class TFmConfig;
class TFmDialogFulCopy;
class TFmViewLog;
class TProgressPanel;

class TFmTarvela final : public QWidget, public RunHost {
    Q_OBJECT
public:
    // programPath: the folder of the program on the medium, ending with '/' (the executable's
    // folder in the program; a temporary medium in the tests).
    explicit TFmTarvela(std::string programPath, QWidget* parent = nullptr);
    ~TFmTarvela() override;

    // The start-up sequence: start line, identity, profiles, exclusions, buttons, version.
    void FormCreate();
    // Re-selects the profile line the profile editor last worked on (line 0 until there is one).
    void FormActivate();

    // Refills the profile list from ProfilArray, with no line selected.
    void FillProfileList();
    // Buttons that need at least one profile; true when there is one.
    bool ExistenceData();
    // Enables the direction buttons for the profile, the role and the store roots on the medium.
    void TestState(const TProfilLine& TaskData);

    void AddEchoText(std::string_view text, std::uint32_t color);

    // Handlers of the controls.
    void RzListBoxProfileClick();
    void RzBitBtnAddProfilClick();
    void RzBitBtnEditConfigClick();
    void RzBitBtnDelProfilClick();
    void RzRadioButtonWorkClick();
    void RzRadioButtonHomeClick();
    void RzBtnTarvelaWorkHomeClick();
    void RzBtnTarvelaHomeWorkClick();
    void RzBtnStopCopyClick();
    void PopupMenuLogViewPopup();
    void N1ViewLogClick();
    void Timer1Timer();
    // Applies the style named by the menu item that sent it.
    void LoadStyle(QAction* Sender);

    // State the tests read.
    bool running() const { return running_; }
    const TProfilLine& task() const { return Task; }
    const std::string& pcIdent() const { return PCIdent; }
    const std::string& programPath() const { return ProgramPath; }
    const ExclusionList& listExcept() const { return ListExcept; }
    const std::string& pathTask() const { return PathTask; }
    bool stopCopy() const { return StopCopy; }
    std::optional<HalfResult> lastResult() const { return lastResult_; }
    TFmDialogFulCopy& dialogFulCopy() { return *FmDialogFulCopy; }
    TFmViewLog& viewLog() { return *FmViewLog; }
    TFmConfig& config() { return *FmConfig; }
    TStyleManager& styleManager() { return StyleManager; }
    const ::tarvela::ProfilArray& profiles() const { return ProfilArray; }
    ModalDriver& modalDriver() { return modal_; }
    TaskbarProgress& taskbar() { return TaskBarList; }
    EchoPane& echoPane() { return *RzRichEditEchoCom; }
    // Runs at every step of the file bar, as the user acting while a file is copied (test hook).
    void setOnFileProgress(std::function<void()> hook) { onFileProgress_ = std::move(hook); }

    // RunHost.
    void echo(std::string_view text, std::uint32_t color) override;
    void showProgressPanel(bool visible) override;
    void hideProgressPanelLater() override;
    void setFolderProgress(std::int64_t position, std::int64_t maximum) override;
    void setFileProgress(std::int64_t position, std::int64_t maximum) override;
    void setFolderLabel(std::string_view path) override;
    void setFileLabel(std::string_view path) override;
    void setTaskProgress(std::int64_t position) override;
    void setTaskStopViewProg() override;
    void setBusy(bool busy) override;
    void setTripProgress(const TripTotals& totals) override;
    bool stopRequested() const override { return StopCopy; }
    FullCopyAnswer askFullCopy(std::string_view folder) override;
    DeleteAnswer askDelete(std::string_view path) override;
    bool askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) override;
    bool askEmptiedFolder(std::string_view folder) override;
    void showError(std::string_view message) override;
    void runLongCall(const std::function<void()>& call) override;

protected:
    void processEvents() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void runDirection(Direction direction);
    // The role of this computer as the radio buttons say it; none while neither is on (a profile
    // saved on another computer, before the user said which computer this is).
    std::optional<Role> role() const;
    void setRole(std::optional<Role> role);
    // The role a profile takes on selection: its own when it was saved here, else the one the user
    // chose for it on this computer during this session, else none.
    std::optional<Role> roleFor(const TProfilLine& profile) const;
    void rememberRoleChoice();
    // The ProfilArray index of the selected list line, if a line is selected.
    std::optional<std::size_t> selectedProfile() const;
    void setRunControlsEnabled(bool enabled);
    // Changes Tarvela.cfg as it is now, not as it was read: under the lock the command-line tool
    // takes, reads the file again, lets `change` edit that list (false: nothing to write) and
    // rewrites it; ProfilArray then holds it. Throws FileError.
    bool changeProfileFile(const std::function<bool(::tarvela::ProfilArray&)>& change);
    // Where the profile with Id `id` that was line `hint` stands in `profiles`: that line when it
    // still holds the Id, else the first line that does.
    static std::optional<std::size_t> findProfile(const ::tarvela::ProfilArray& profiles, std::size_t hint,
                                                  const std::string& id);
    void readSettings();
    void writeSettings();
    void fillStyleMenu();

    friend class TFmConfig; // the editor works on the profiles and the state of this window

    // State of the program and of the current run.
    std::string ProgramPath;
    ::tarvela::ProfilArray ProfilArray;
    TProfilLine Task;
    std::string PCIdent;
    ExclusionList ListExcept;
    std::string PathTask;
    bool StopCopy = false;
    TFileCopier FileCopier;
    TaskbarProgress TaskBarList;
    ModalDriver modal_;
    TStyleManager StyleManager;

    bool running_ = false;
    bool closeAfterRun_ = false;
    bool busy_ = false;
    bool shownOnce_ = false;
    // Roles chosen with the radio buttons for profiles saved on another computer, by profile Id.
    std::map<std::string, Role> rolesChosenHere_;
    // Profiles whose "choose the role" notice was echoed already (once per profile and session).
    std::set<std::string> roleNoticeGiven_;
    std::optional<HalfResult> lastResult_;
    std::function<void()> onFileProgress_;

    // Controls (object names as the program names them).
    QListWidget* RzListBoxProfile = nullptr;
    QPushButton* RzBitBtnAddProfil = nullptr;
    QPushButton* RzBitBtnDelProfil = nullptr;
    QPushButton* RzBitBtnEditConfig = nullptr;
    QRadioButton* RzRadioButtonWork = nullptr;
    QRadioButton* RzRadioButtonHome = nullptr;
    QPushButton* RzBtnTarvelaWorkHome = nullptr;
    QPushButton* RzBtnTarvelaHomeWork = nullptr;
    QLabel* RzLblVersion = nullptr;
    EchoPane* RzRichEditEchoCom = nullptr;
    TProgressPanel* RzPanelProgress = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenuLogView = nullptr;
    QAction* N1ViewLog = nullptr;
    QLabel* img1 = nullptr;
    QMenu* PopupMenuStyleThemes = nullptr;

    // The other windows, created after this one and kept for the whole run.
    TFmConfig* FmConfig = nullptr;
    TFmDialogFulCopy* FmDialogFulCopy = nullptr;
    TFmViewLog* FmViewLog = nullptr;
};

} // namespace tarvela::ui
