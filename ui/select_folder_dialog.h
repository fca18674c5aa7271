#pragma once
// The folder dialog of the profile editor: title "Выберите папку", files and hidden items shown
// beside the folders, a button to create a folder, "Закрыть" to cancel. It always opens at the
// folder it is given. Runs through the window's ModalDriver; a test queues the folders the user
// would choose instead (setNextFileName), so no dialog opens at all.

#include <QString>

#include <deque>
#include <optional>

class QWidget;

namespace tarvela::ui {

class ModalDriver;

class TSelectFolderDialog {
public:
    explicit TSelectFolderDialog(ModalDriver& driver) : modal_(driver) {}

    // Opens the dialog at `startFolder`; the chosen folder, or nothing when the user cancels.
    std::optional<QString> execute(QWidget* parent, const QString& startFolder);

    // Test hooks: the answer of the next execute() (an empty text is a cancel), and the folder the
    // last execute() opened at.
    void setNextFileName(const QString& folder) { next_.push_back(folder); }
    const QString& lastStartFolder() const { return lastStart_; }

private:
    ModalDriver& modal_;
    std::deque<QString> next_;
    QString lastStart_;
};

} // namespace tarvela::ui
