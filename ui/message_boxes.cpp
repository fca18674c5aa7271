#include "message_boxes.h"

#include "base/messages.h"
#include "modal_driver.h"
#include "qt_text.h"

#include <QPushButton>

namespace tarvela::ui {

void showErrorBox(ModalDriver& driver, QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    driver.run(box);
}

bool askYesNo(ModalDriver& driver, QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(qs(msg::kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(qs(msg::kNo), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("Yes"));
    no->setObjectName(QStringLiteral("No"));
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    driver.run(box);
    return box.clickedButton() == yes;
}

} // namespace tarvela::ui
