#pragma once
// The program's message boxes, run through the window's ModalDriver.

#include <QMessageBox>
#include <QString>

namespace tarvela::ui {

class ModalDriver;

// An error box with an OK button.
void showErrorBox(ModalDriver& driver, QWidget* parent, const QString& title, const QString& text);

// A question with the buttons "Да" and "Нет"; true only for "Да" (closing the box is "Нет").
bool askYesNo(ModalDriver& driver, QWidget* parent, const QString& title, const QString& text);

} // namespace tarvela::ui
