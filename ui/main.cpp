// The program block: the application with its title and default look, the main window (which
// creates the other windows), the start-up sequence and the message loop.
#include "platform/file_system.h"
#include "qt_translations.h"
#include "tarvela_window.h"
#include "ui_texts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QStringLiteral("tarvela"));
    QApplication::setDesktopFileName(QStringLiteral("tarvela"));
    tarvela::ui::installQtTranslations(app);
    // The executable's folder as this system writes it (drive letter and '\' on Windows): the
    // medium's paths built on it are shown as the user knows them.
    tarvela::ui::TFmTarvela window(tarvela::platform::executableFolder());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/tarvela.png")));
    window.FormCreate();
    window.show();
    return QApplication::exec();
}
