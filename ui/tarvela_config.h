#pragma once
// The profile editor "Настройка профиля": a modeless window, created once with the main window and
// hidden or shown. It edits one profile at a time in its working record ProfilLine (name, the ten
// folder pairs one at a time under the slider, the role of this computer, exclusion masks, four
// options); a save validates it, puts it into the main window's ProfilArray and rewrites the
// profile file.
//
// Which profile a save writes is fixed when the editor is shown (ProfNew, NProf) and follows that
// profile when another one is deleted meanwhile; a new profile reaches ProfilArray only by its save,
// so a cancelled addition leaves nothing behind. While a run is in progress the save and the
// clearing of the profile's files take no input.

#include "records/profile.h"
#include "select_folder_dialog.h"

#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace tarvela::ui {

class TFmTarvela;

class TFmConfig final : public QWidget {
    Q_OBJECT
public:
    TFmConfig(TFmTarvela& main, QWidget* parent);

    // From the profile list: a hidden editor runs FormShow and shows itself; a shown one only comes
    // to the front.
    void showEditor();

    // The editor works on a new profile (set by "Добавить", cleared by a save or by "Редактировать").
    bool ProfNew = false;
    // Index in ProfilArray of the profile being edited (set by "Редактировать").
    int NProf = 0;

    void FormShow();
    void RzTrackBarNomFolderChanging(int leaving);
    void RzTrackBarNomFolderChange(int position);
    void RzCheckBoxOperacDelClick();
    void ButtonPathWorkClick();
    void ButtonPathHomeClick();
    // True when the profile was saved.
    bool RzBitBtnSaveConfigClick();
    void ButtonClearFilesProfClick();
    void ButtonViewLogClick();
    void RzBitBtnCloseConfigClick();

    // The main window removed ProfilArray entry `row`: the editor keeps pointing at its own
    // profile, and closes when that is the one removed.
    void profileRemoved(int row);
    // A run started or ended.
    void setRunning(bool running);

    const TProfilLine& profilLine() const { return ProfilLine; }
    TSelectFolderDialog& folderDialog() { return RzSelectFolderDialog1; }

    // Whether the editor was the active window since the last clearActivated(): the main window
    // re-selects line NProf when it becomes active after the editor.
    bool wasActivated() const { return activated_; }
    void clearActivated() { activated_ = false; }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void fitToContents();
    void showPair(int n);
    void storeShownPair();
    void choosePath(QLineEdit* box);
    bool profileFileWritable();
    bool foldersAcceptable();

    TFmTarvela& FmTarvela;
    TProfilLine ProfilLine;
    int shownPair_ = 1; // the pair the two boxes hold
    // The folders as typed, by pair number (work, home): checked before the code page changes them.
    std::array<std::array<QString, 2>, 11> typed_;
    bool activated_ = false;
    bool fitPending_ = false;
    TSelectFolderDialog RzSelectFolderDialog1;

    QLineEdit* EditProfName = nullptr;
    QLineEdit* EditIdProf = nullptr;
    QLabel* RzLabelNomer = nullptr;
    QSlider* RzTrackBarNomFolder = nullptr;
    QLineEdit* EditPathWork = nullptr;
    QLineEdit* EditPathHome = nullptr;
    QRadioButton* RadioButtonPCWork = nullptr;
    QRadioButton* RadioButtonPCHome = nullptr;
    QLineEdit* EditFileExcept = nullptr;
    QCheckBox* RzCheckBoxOperacDel = nullptr;
    QCheckBox* RzCheckBoxDellBasket = nullptr;
    QCheckBox* RzCheckBoxDelConfirm = nullptr;
    QCheckBox* RzCheckBoxSaveLog = nullptr;
    QPushButton* ButtonClearFilesProf = nullptr;
    QPushButton* ButtonViewLog = nullptr;
    QPushButton* RzBitBtnSaveConfig = nullptr;
    QPushButton* RzBitBtnCloseConfig = nullptr;
};

} // namespace tarvela::ui
