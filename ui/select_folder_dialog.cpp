#include "select_folder_dialog.h"

#include "modal_driver.h"
#include "ui_texts.h"

#include <QDir>
#include <QFileDialog>
#include <QToolButton>

namespace tarvela::ui {

std::optional<QString> TSelectFolderDialog::execute(QWidget* parent, const QString& startFolder) {
    lastStart_ = startFolder;
    if (!next_.empty()) {
        const QString answer = next_.front();
        next_.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }

    // Qt's own dialog rather than the desktop's: it can show files and hidden items in a folder
    // choice and takes our captions.
    QFileDialog dialog(parent, QString::fromUtf8(text::kChooseFolder), startFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    dialog.setFilter(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8(text::kClose));
    if (auto* create = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton")))
        create->setToolTip(QString::fromUtf8(text::kCreateFolder));
    if (modal_.run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tarvela::ui
