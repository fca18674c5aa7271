#include "select_folder_dialog.h"

#include "folder_dialog_columns.h"
#include "modal_driver.h"
#include "ui_texts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace tarvela::ui {
namespace {

// "Создать папку" and "Удалить" as buttons beside "Закрыть": they do what the dialog's own folder
// button and its context menu's delete item do (the delete asks first and removes only files and
// empty folders).
void addFolderButtons(QFileDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (box == nullptr)
        return;
    if (auto* newFolder = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton"))) {
        newFolder->setToolTip(QString::fromUtf8(text::kCreateFolder));
        QPushButton* create = box->addButton(QString::fromUtf8(text::kCreateFolder), QDialogButtonBox::ActionRole);
        create->setObjectName(QStringLiteral("CreateFolderButton"));
        create->setAutoDefault(false);
        QObject::connect(create, &QPushButton::clicked, newFolder, &QToolButton::click);
    }
    if (auto* deleteItem = dialog.findChild<QAction*>(QStringLiteral("qt_delete_action"))) {
        QPushButton* remove = box->addButton(QString::fromUtf8(text::kDelete), QDialogButtonBox::ActionRole);
        remove->setObjectName(QStringLiteral("DeleteButton"));
        remove->setAutoDefault(false);
        // The menu item is enabled only while its menu is open; the dialog itself checks the item.
        QObject::connect(remove, &QPushButton::clicked, deleteItem, [deleteItem] {
            deleteItem->setEnabled(true);
            deleteItem->trigger();
        });
    }
}

// Size, Type and Date as wide as their longest text in the folder shown, the name taking the rest;
// the dialog wide enough for all four.
void fitColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr)
        return;
    const QFontMetrics fm(view->font());
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column <= 3; ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    const int typical = fm.horizontalAdvance(FolderDialogColumns::sizeText(1023LL << 20)) +
                        fm.horizontalAdvance(QStringLiteral("Файл DESKTOP")) +
                        fm.horizontalAdvance(QStringLiteral("30.12.2026 23:59")) + 12 * fm.averageCharWidth();
    dialog.resize(std::max(dialog.width(), 420 + typical), std::max(dialog.height(), 440));
}

} // namespace

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
    QFileDialog dialog(parent, QString::fromUtf8(text::kChooseFolder), QDir::fromNativeSeparators(startFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    dialog.setFilter(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8(text::kClose));
    dialog.setProxyModel(new FolderDialogColumns(&dialog));
    addFolderButtons(dialog);
    fitColumns(dialog);
    if (modal_.run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Qt answers with '/'; the path box shows the folder as this system writes it.
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace tarvela::ui
