#include "modal_driver.h"

#include <QDialog>
#include <QMessageBox>

namespace tarvela::ui {

int ModalDriver::run(QDialog& dialog) {
    QString what = dialog.windowTitle();
    if (const auto* box = qobject_cast<QMessageBox*>(&dialog))
        what += QStringLiteral(": ") + box->text();
    shown_.push_back(what);

    if (!drivers_.empty()) {
        const Driver driver = std::move(drivers_.front());
        drivers_.pop_front();
        // The dialog is set up as exec() would set it up, without entering its event loop.
        dialog.setResult(0);
        dialog.show();
        driver(dialog);
        dialog.hide();
        return dialog.result();
    }
    if (strict_) {
        ++unexpected_;
        dialog.setResult(0);
        dialog.show();
        dialog.reject();
        return dialog.result();
    }
    return dialog.exec();
}

} // namespace tarvela::ui
