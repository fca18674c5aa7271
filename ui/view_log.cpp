#include "view_log.h"

#include "base/errors.h"
#include "log_document.h"
#include "message_boxes.h"
#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "qt_text.h"
#include "ui_texts.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>

namespace tarvela::ui {

TFmViewLog::TFmViewLog(ModalDriver& driver, QWidget* parent) : QMainWindow(parent, Qt::Window), modal_(driver) {
    setObjectName(QStringLiteral("FmViewLog"));
    setWindowTitle(QString::fromUtf8(text::kViewLogCaption));

    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    C1 = menuBar()->addMenu(QString::fromUtf8(text::kFileMenu));
    C1->setObjectName(QStringLiteral("C1"));
    N1Save = C1->addAction(QString::fromUtf8(text::kSaveWithChanges));
    N1Save->setObjectName(QStringLiteral("N1Save"));
    N3 = C1->addAction(QString::fromUtf8(text::kClose));
    N3->setObjectName(QStringLiteral("N3"));
    connect(N1Save, &QAction::triggered, this, &TFmViewLog::N1SaveClick);
    connect(N3, &QAction::triggered, this, &TFmViewLog::N3Click);

    RzRichEdit1 = new QTextEdit(this);
    RzRichEdit1->setObjectName(QStringLiteral("RzRichEdit1"));
    RzRichEdit1->setAcceptRichText(true);
    RzRichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RzRichEdit1->setFrameShape(QFrame::Panel);
    RzRichEdit1->setFrameShadow(QFrame::Sunken);
    RzRichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RzRichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(17);
    RzRichEdit1->document()->setDefaultFont(f);
    setCentralWidget(RzRichEdit1);

    // Client area 855 x 580 below the menu bar, centred on the screen.
    resize(855, 580 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFmViewLog::showLog(const QString& path) {
    NameFileLog = path;
    if (isVisible()) {
        LoadLog();
        raise();
        activateWindow();
    } else {
        show();
    }
}

void TFmViewLog::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        LoadLog();
}

void TFmViewLog::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated_ = true;
}

bool TFmViewLog::LoadLog() {
    RzRichEdit1->clear();
    const std::string path = utf8(NameFileLog);
    if (NameFileLog.isEmpty() || !platform::fileExists(path))
        return true;
    try {
        platform::FileReader reader(path);
        std::string content(static_cast<std::size_t>(reader.size()), '\0');
        content.resize(reader.read(content.data(), content.size()));
        fillDocument(*RzRichEdit1->document(), content);
        RzRichEdit1->moveCursor(QTextCursor::Start);
        return true;
    } catch (const FileError& e) {
        showErrorBox(modal_, this, windowTitle(), qs(e.what()));
        return false;
    }
}

void TFmViewLog::N1SaveClick() {
    if (NameFileLog.isEmpty())
        return;
    const std::string document = documentToRtf(*RzRichEdit1->document());
    try {
        platform::writeFileAtomically(utf8(NameFileLog), document.data(), document.size());
    } catch (const FileError& e) {
        showErrorBox(modal_, this, windowTitle(), qs(e.what()));
    }
}

void TFmViewLog::N3Click() {
    close();
}

} // namespace tarvela::ui
