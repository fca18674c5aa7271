#include "folder_dialog_columns.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>

namespace tarvela::ui {

QString FolderDialogColumns::sizeText(qint64 bytes) {
    static const char* const kUnits[] = {"КБ", "МБ", "ГБ", "ТБ"};
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (bytes < 1024)
        return russian.toString(bytes) + QStringLiteral(" байт");
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    return russian.toString(value, 'f', value < 10.0 ? 1 : 0) + QLatin1Char(' ') + QString::fromUtf8(kUnits[unit]);
}

const QFileSystemModel* FolderDialogColumns::files() const {
    return qobject_cast<const QFileSystemModel*>(sourceModel());
}

QVariant FolderDialogColumns::data(const QModelIndex& index, int role) const {
    const QFileSystemModel* model = files();
    if (role != Qt::DisplayRole || model == nullptr || index.column() == 0)
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    const QFileInfo info = model->fileInfo(source);
    switch (index.column()) {
    case 1:
        return info.isDir() ? QString() : sizeText(info.size());
    case 2:
        if (info.isRoot())
            return QStringLiteral("Диск");
        if (info.isDir())
            return QStringLiteral("Папка");
        return info.suffix().isEmpty() ? QStringLiteral("Файл") : QStringLiteral("Файл ") + info.suffix().toUpper();
    case 3:
        return QLocale(QLocale::Russian, QLocale::Russia).toString(info.lastModified(), QStringLiteral("dd.MM.yyyy HH:mm"));
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

} // namespace tarvela::ui
