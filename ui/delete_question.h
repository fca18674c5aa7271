#pragma once
// The deletion question of the receiving half: "Удалить: " + path, with the four answers "Да",
// "Нет", "Нет для всех", "Да для всех" in that order, "Да" the default button. Made for one
// question and destroyed after the answer. Closing it without a button (close box, Escape) answers
// "Нет для всех".

#include "base/run_host.h"

#include <QDialog>

class QAbstractButton;
class QPushButton;

namespace tarvela::ui {

class ModalDriver;

class TDeleteQuestion final : public QDialog {
    Q_OBJECT
public:
    TDeleteQuestion(const QString& path, QWidget* parent);

    DeleteAnswer answer() const { return answer_; }

    // Shows the question for `path` and returns the answer.
    static DeleteAnswer ask(ModalDriver& driver, QWidget* parent, const QString& path);

protected:
    void reject() override;

private:
    QPushButton* addAnswer(QLayout* row, const char* objectName, std::string_view caption, DeleteAnswer answer);

    DeleteAnswer answer_ = DeleteAnswer::Closed;
};

} // namespace tarvela::ui
