#include "tarvela_config.h"

#include "copy/disk_tools.h"
#include "base/errors.h"
#include "scan/exclusions.h"
#include "message_boxes.h"
#include "platform/file_system.h"
#include "records/profile_file.h"
#include "records/profile_rules.h"
#include "qt_text.h"
#include "records/store_layout.h"
#include "sync/agreed_generations.h"
#include "tarvela_window.h"
#include "ui_texts.h"
#include "view_log.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace tarvela::ui {
namespace {

ShortString<255> pathField(const QString& text) {
    return ShortString<255>::fromText(utf8(text));
}

const char* folderProblemText(FolderTextProblem problem) {
    switch (problem) {
    case FolderTextProblem::NotAbsolute:
        return text::kFolderNotAbsolute;
    case FolderTextProblem::ControlCharacter:
        return text::kFolderControlCharacter;
    case FolderTextProblem::NotInCodePage:
        return text::kFolderNotInCodePage;
    case FolderTextProblem::TooLong:
        return text::kFolderTooLong;
    case FolderTextProblem::None:
        break;
    }
    return "";
}

} // namespace

TFmConfig::TFmConfig(TFmTarvela& main, QWidget* parent)
    : QWidget(parent, Qt::Window), FmTarvela(main), RzSelectFolderDialog1(main.modalDriver()) {
    setObjectName(QStringLiteral("FmConfig"));
    setWindowTitle(QString::fromUtf8(text::kConfigCaption));
    buildControls();
}

void TFmConfig::showEditor() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    FormShow();
    fitToContents();
    show();
    raise();
    activateWindow();
}

// The editor has a fixed size; it is taken from the controls as the current style draws them (the
// saved style is applied after the editor was made, and the user may choose another while it is
// open), so that no control is cut off.
void TFmConfig::fitToContents() {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    for (QWidget* c : findChildren<QWidget*>())
        c->ensurePolished();
    layout()->invalidate();
    layout()->activate();
    setFixedSize(layout()->totalSizeHint().expandedTo(layout()->totalMinimumSize()));
}

// Enter saves, as the window's main button; on a focused push button it presses that button.
// Escape closes without saving.
void TFmConfig::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused != nullptr && focused->isEnabled())
            focused->click();
        else if (RzBitBtnSaveConfig->isEnabled())
            RzBitBtnSaveConfigClick();
        return;
    case Qt::Key_Escape:
        RzBitBtnCloseConfigClick();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TFmConfig::FormShow() {
    if (ProfNew) {
        EditProfName->clear();
        EditPathWork->clear();
        EditPathHome->clear();
        EditFileExcept->clear();
        EditIdProf->setText(qs(newProfileId()));
        RzCheckBoxDelConfirm->setChecked(true);
        RzCheckBoxSaveLog->setChecked(false);
        RzCheckBoxDellBasket->setChecked(false);
        RzCheckBoxOperacDel->setChecked(false);
        RadioButtonPCWork->setChecked(true);
        for (TFolderDual& pair : ProfilLine.FolderDual)
            pair = TFolderDual{};
    } else {
        const ProfilArray& profiles = FmTarvela.ProfilArray;
        if (NProf >= 0 && static_cast<std::size_t>(NProf) < profiles.size())
            ProfilLine = profiles[static_cast<std::size_t>(NProf)];
        EditProfName->setText(qs(ProfilLine.NameConf.text()));
        // The identifier names the profile's store folder below "Task": one that cannot (empty, or
        // a hand-made one with a separator or "..") is replaced, so the save repairs the profile.
        const std::string id = ProfilLine.Id.text();
        EditIdProf->setText(qs(isPlainStoreName(id) ? id : newProfileId()));
        EditFileExcept->setText(qs(ProfilLine.LineExcept.text()));
        RzCheckBoxOperacDel->setChecked(ProfilLine.OperacDell);
        RzCheckBoxDellBasket->setChecked(ProfilLine.DellBasket);
        RzCheckBoxDelConfirm->setChecked(ProfilLine.DellConfirmat);
        RzCheckBoxSaveLog->setChecked(ProfilLine.SaveLog);
        // The role here: the profile's own when it was saved here, else the one chosen for it on the
        // main window, else none, so that a save cannot stamp a role nobody chose.
        const std::optional<Role> role = FmTarvela.roleFor(ProfilLine);
        if (role) {
            (*role == Role::Work ? RadioButtonPCWork : RadioButtonPCHome)->setChecked(true);
        } else {
            for (QRadioButton* b : {RadioButtonPCWork, RadioButtonPCHome}) {
                b->setAutoExclusive(false);
                b->setChecked(false);
                b->setAutoExclusive(true);
            }
        }
    }
    for (int n = 1; n <= 10; ++n) {
        const TFolderDual& pair = ProfilLine.pair(static_cast<std::size_t>(n));
        typed_[static_cast<std::size_t>(n)] = {qs(pair.PathWork.text()), qs(pair.PathHome.text())};
    }
    RzCheckBoxOperacDelClick();
    // Back to pair 1 without storing the boxes into the pair shown before.
    {
        const QSignalBlocker blocker(RzTrackBarNomFolder);
        RzTrackBarNomFolder->setValue(1);
    }
    showPair(1);
}

void TFmConfig::showPair(int n) {
    const TFolderDual& pair = ProfilLine.pair(static_cast<std::size_t>(n));
    EditPathWork->setText(qs(pair.PathWork.text()));
    EditPathHome->setText(qs(pair.PathHome.text()));
    RzLabelNomer->setText(QString::number(n));
    shownPair_ = n;
}

void TFmConfig::storeShownPair() {
    RzTrackBarNomFolderChanging(shownPair_);
}

void TFmConfig::RzTrackBarNomFolderChanging(int leaving) {
    TFolderDual& pair = ProfilLine.pair(static_cast<std::size_t>(leaving));
    typed_[static_cast<std::size_t>(leaving)] = {EditPathWork->text(), EditPathHome->text()};
    pair.PathWork = pathField(EditPathWork->text());
    pair.PathHome = pathField(EditPathHome->text());
}

void TFmConfig::RzTrackBarNomFolderChange(int position) {
    showPair(position);
}

void TFmConfig::RzCheckBoxOperacDelClick() {
    const bool on = RzCheckBoxOperacDel->isChecked();
    RzCheckBoxDellBasket->setEnabled(on);
    RzCheckBoxDelConfirm->setEnabled(on);
}

void TFmConfig::choosePath(QLineEdit* box) {
    if (const auto folder = RzSelectFolderDialog1.execute(this, qs(FmTarvela.ProgramPath)))
        box->setText(*folder);
}

void TFmConfig::ButtonPathWorkClick() {
    choosePath(EditPathWork);
}

void TFmConfig::ButtonPathHomeClick() {
    choosePath(EditPathHome);
}

// The profile file can be written: opened for reading and writing, or created empty.
bool TFmConfig::profileFileWritable() {
    try {
        ensureProfileFileWritable(FmTarvela.ProgramPath);
        return true;
    } catch (const FileError& e) {
        showErrorBox(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kErrorTitle), qs(e.what()));
        return false;
    }
}

bool TFmConfig::RzBitBtnSaveConfigClick() {
    if (FmTarvela.running())
        return false;
    storeShownPair();

    if (checkProfileInput(utf8(EditProfName->text()), ProfilLine) != ProfileProblem::None) {
        showErrorBox(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kErrorTitle),
                     QString::fromUtf8(text::kNotAllEntered));
        return false;
    }
    if (!foldersAcceptable())
        return false;
    if (!RadioButtonPCWork->isChecked() && !RadioButtonPCHome->isChecked()) {
        showErrorBox(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kErrorTitle),
                     QString::fromUtf8(text::kChooseRoleInEditor));
        return false;
    }
    endFoldersWithSeparator(ProfilLine);
    if (!profileFileWritable())
        return false;

    ProfilLine.NameConf = ShortString<255>::fromText(utf8(EditProfName->text()));
    ProfilLine.DellConfirmat = RzCheckBoxDelConfirm->isChecked();
    ProfilLine.SaveLog = RzCheckBoxSaveLog->isChecked();
    ProfilLine.DellBasket = RzCheckBoxDellBasket->isChecked();
    ProfilLine.Id = ShortString<8>::fromText(utf8(EditIdProf->text()));
    stampSavingComputer(ProfilLine, FmTarvela.PCIdent, RadioButtonPCWork->isChecked());
    ProfilLine.OperacDell = RzCheckBoxOperacDel->isChecked();
    ProfilLine.LineExcept = ShortString<255>::fromText(utf8(EditFileExcept->text()));

    // A new profile is appended only now; an existing one goes back to its own entry. When the
    // file cannot be rewritten the array is left as the file still holds it and the editor stays
    // open, so nothing is lost and the save can be repeated.
    //
    // The file is read again under the command-line tool's lock and changed as it is now: a profile
    // that the tool added or changed meanwhile stays. The edited profile is found by its Id.
    const ProfilArray& profiles = FmTarvela.ProfilArray;
    if (!ProfNew && !(NProf >= 0 && static_cast<std::size_t>(NProf) < profiles.size()))
        return false;
    const std::string editedId = ProfNew ? std::string() : profiles[static_cast<std::size_t>(NProf)].Id.bytes();
    std::size_t savedAt = 0;
    try {
        FmTarvela.changeProfileFile([&](ProfilArray& fresh) {
            const auto at = ProfNew ? std::nullopt
                                    : TFmTarvela::findProfile(fresh, static_cast<std::size_t>(NProf), editedId);
            if (at) {
                fresh[*at] = ProfilLine;
                savedAt = *at;
            } else {
                // New, or removed from the file meanwhile: the save puts it back as the last line.
                fresh.push_back(ProfilLine);
                savedAt = fresh.size() - 1;
            }
            return true;
        });
    } catch (const FileError& e) {
        showErrorBox(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kErrorTitle), qs(e.what()));
        return false;
    }
    if (!ProfNew)
        NProf = static_cast<int>(savedAt);

    FmTarvela.TestState(ProfilLine);
    FmTarvela.ListExcept = CreateListExcept(ProfilLine.LineExcept.text());
    FmTarvela.FillProfileList();
    ProfNew = false;
    FmTarvela.ExistenceData();
    close();
    FmTarvela.activateWindow();
    return true;
}

// Every folder as typed, by the command-line tool's rule: a relative folder would be taken from
// whatever folder the program was started in. The first one that cannot stand is shown with the
// reason, its pair on screen and its box focused; nothing is saved.
bool TFmConfig::foldersAcceptable() {
    for (int n = 1; n <= 10; ++n) {
        for (const bool work : {true, false}) {
            const std::string folder = utf8(typed_[static_cast<std::size_t>(n)][work ? 0 : 1]);
            if (folder.empty())
                continue;
            const FolderTextProblem problem = checkFolderText(folder);
            if (problem == FolderTextProblem::None)
                continue;
            {
                const QSignalBlocker blocker(RzTrackBarNomFolder);
                RzTrackBarNomFolder->setValue(n);
            }
            showPair(n);
            // The boxes as typed, not as the code page stored them.
            EditPathWork->setText(typed_[static_cast<std::size_t>(n)][0]);
            EditPathHome->setText(typed_[static_cast<std::size_t>(n)][1]);
            QLineEdit* box = work ? EditPathWork : EditPathHome;
            const QString where = QString::fromUtf8(text::kFolderWhere)
                                      .arg(n)
                                      .arg(QString::fromUtf8(work ? text::kWorkFolderLower : text::kHomeFolderLower),
                                           qs(folder));
            showErrorBox(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kErrorTitle),
                         QString::fromUtf8(folderProblemText(problem)) + QStringLiteral("\n\n") + where);
            box->setFocus();
            return false;
        }
    }
    return true;
}

void TFmConfig::ButtonClearFilesProfClick() {
    // A profile not saved yet has no store; the Id of the record shown before would name another
    // profile's store.
    if (ProfNew || FmTarvela.running())
        return;
    const std::string id = ProfilLine.Id.text();
    if (!isPlainStoreName(id))
        return;
    // A fresh start: this computer forgets the generations of the profile's agreed states too.
    forgetAgreedGenerations(id);
    const std::string store = transferStoreFolder(FmTarvela.ProgramPath, id);
    if (!platform::folderExists(store))
        return;
    // A batch still waiting to be received would be lost with the store: asked first.
    const bool pending =
        platform::folderExists(storeRoot(store, Side::Work)) || platform::folderExists(storeRoot(store, Side::Home));
    if (pending && !askYesNo(FmTarvela.modalDriver(), this, QString::fromUtf8(text::kWarningTitle),
                             QString::fromUtf8(text::kClearPendingQuestion)))
        return;
    DelDir(store, false, true, FmTarvela);
}

void TFmConfig::ButtonViewLogClick() {
    // The log of the profile shown: a new one has none yet.
    const std::string id = utf8(EditIdProf->text());
    if (ProfNew || !isPlainStoreName(id))
        return;
    const std::string path = logFile(transferStoreFolder(FmTarvela.ProgramPath, id), id);
    if (platform::fileExists(path))
        FmTarvela.viewLog().showLog(qs(path));
}

void TFmConfig::RzBitBtnCloseConfigClick() {
    close();
}

void TFmConfig::profileRemoved(int row) {
    if (!isVisible() || ProfNew)
        return;
    if (row == NProf)
        close();
    else if (row < NProf)
        --NProf;
}

void TFmConfig::setRunning(bool running) {
    RzBitBtnSaveConfig->setEnabled(!running);
    ButtonClearFilesProf->setEnabled(!running);
}

void TFmConfig::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated_ = true;
    // A new style reaches the controls one by one: the size is taken once all have it.
    if (event->type() == QEvent::StyleChange && !fitPending_) {
        fitPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                fitPending_ = false;
                fitToContents();
            },
            Qt::QueuedConnection);
    }
}

} // namespace tarvela::ui
