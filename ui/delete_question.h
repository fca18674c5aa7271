#pragma once
// The deletion question of the receiving half: "Удалить: " + path, with the four answers "Да",
// "Нет", "Да для всех", "Нет для всех" in that order. Made for one question and destroyed after
// the answer. Closing it without a button (close box, Escape) is its own answer, Closed.

#include "base/run_host.h"

#include <QDialog>

class QAbstractButton;

namespace tarvela::ui {

class ModalDriver;

class TDeleteQuestion final : public QDialog {
    Q_OBJECT
public:
    TDeleteQuestion(const QString& path, QWidget* parent);

    DeleteAnswer answer() const { return answer_; }

    // Shows the question for `path` and returns the answer.
    static DeleteAnswer ask(ModalDriver& driver, QWidget* parent, const QString& path);

private:
    void addAnswer(QLayout* row, const char* objectName, std::string_view caption, DeleteAnswer answer);

    DeleteAnswer answer_ = DeleteAnswer::Closed;
};

} // namespace tarvela::ui
