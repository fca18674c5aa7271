#pragma once
// The log viewer: shows a profile's log file with its colours, lets the user edit it and save it
// back as RTF. Created once with the main window and hidden when closed. It loads the file every
// time it is shown, and again when it is asked for a log while it is open, so what it shows is
// always the file that "Сохранить с изменениями" writes.

#include <QMainWindow>

class QAction;
class QMenu;
class QTextEdit;

namespace tarvela::ui {

class ModalDriver;

class TFmViewLog final : public QMainWindow {
    Q_OBJECT
public:
    TFmViewLog(ModalDriver& driver, QWidget* parent);

    // Shows the log file at path (loading it afresh, also when the viewer is already open).
    void showLog(const QString& path);

    QString NameFileLog;

    void N1SaveClick();
    void N3Click();
    // Loads NameFileLog into the editor; false after a failure (shown in a message box).
    bool LoadLog();

    QTextEdit* editor() const { return RzRichEdit1; }

    // Whether the viewer was the active window since the last clearActivated(): the main window
    // re-selects its profile when it becomes active after the viewer.
    bool wasActivated() const { return activated_; }
    void clearActivated() { activated_ = false; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ModalDriver& modal_;
    QMenu* C1 = nullptr;
    QAction* N1Save = nullptr;
    QAction* N3 = nullptr;
    QTextEdit* RzRichEdit1 = nullptr;
    bool activated_ = false;
};

} // namespace tarvela::ui
