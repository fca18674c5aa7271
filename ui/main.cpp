// The program block: the application with its title and default look, the main window (which
// creates the other windows), the start-up sequence and the message loop.
#include "tarvela_window.h"
#include "ui_texts.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QStringLiteral("tarvela"));
    QApplication::setDesktopFileName(QStringLiteral("tarvela"));
    // The program's default look until the style set exists: the same on every desktop.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);

    tarvela::ui::TFmTarvela window(QCoreApplication::applicationDirPath().toStdString() + "/");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/tarvela.png")));
    window.FormCreate();
    window.move(0, 0);
    window.show();
    return QApplication::exec();
}
