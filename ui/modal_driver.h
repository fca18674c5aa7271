#pragma once
// Runs the program's modal dialogs. Normally a dialog runs its own event loop (QDialog::exec); a
// test queues drivers instead, each of which answers one dialog by pressing its buttons, so no
// modal dialog ever blocks a test. In strict mode a dialog for which no driver is queued is
// rejected at once and counted, so a test notices a question it did not expect.

#include <QString>

#include <deque>
#include <functional>

class QDialog;

namespace tarvela::ui {

class ModalDriver {
public:
    using Driver = std::function<void(QDialog&)>;

    // Shows the dialog modally and returns its result code.
    int run(QDialog& dialog);

    // Test hooks.
    void setNextAnswer(Driver driver) { drivers_.push_back(std::move(driver)); }
    void setStrict(bool strict) { strict_ = strict; }
    int unexpectedDialogs() const { return unexpected_; }
    bool hasPendingAnswers() const { return !drivers_.empty(); }
    // Window title and text (QMessageBox text or the dialog's title) of every dialog run so far.
    const std::deque<QString>& shown() const { return shown_; }

private:
    std::deque<Driver> drivers_;
    std::deque<QString> shown_;
    bool strict_ = false;
    int unexpected_ = 0;
};

} // namespace tarvela::ui
