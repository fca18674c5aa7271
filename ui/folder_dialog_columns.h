#pragma once
// The Size, Type and Date columns of the folder dialog in Russian, whatever the system's language:
// sizes in "байт", "КБ", "МБ", "ГБ" (steps of 1024, as the Windows shell counts them), types
// "Папка", "Файл TXT", "Диск", dates as "31.12.2026 23:59". Qt's file model writes them in the
// system's locale, which on an English system or under Wine gave "Folder", "KiB" and US dates.

#include <QIdentityProxyModel>

class QFileSystemModel;

namespace tarvela::ui {

class FolderDialogColumns final : public QIdentityProxyModel {
    Q_OBJECT
public:
    explicit FolderDialogColumns(QObject* parent) : QIdentityProxyModel(parent) {}

    QVariant data(const QModelIndex& index, int role) const override;

    static QString sizeText(qint64 bytes);

private:
    const QFileSystemModel* files() const;
};

} // namespace tarvela::ui
