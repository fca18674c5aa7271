#include "echo_pane.h"

#include "echo_color.h"
#include "qt_text.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>

namespace tarvela::ui {

EchoPane::EchoPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("RzRichEditEchoCom"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(14);
    setFont(f);

    // Tooltip background; purple is the pane's own text colour.
    QPalette p = palette();
    p.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, toQColor(color::kPurple));
    setPalette(p);
}

QColor EchoPane::toQColor(std::uint32_t c) {
    const std::uint32_t n = color::normalized(c);
    return {static_cast<int>(color::red(n)), static_cast<int>(color::green(n)), static_cast<int>(color::blue(n))};
}

void EchoPane::AddEchoText(std::string_view text, std::uint32_t c) {
    QTextCharFormat format;
    format.setForeground(toQColor(c));
    format.setFontWeight(color::isBold(color::normalized(c)) ? QFont::Bold : QFont::Normal);

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty())
        cursor.insertBlock(QTextBlockFormat(), format);
    else
        cursor.setBlockCharFormat(format);
    // A line break inside the line (a file name may hold one) stays inside its paragraph.
    QString line = qs(text);
    line.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    line.replace(QLatin1Char('\n'), QChar::LineSeparator).replace(QLatin1Char('\r'), QChar::LineSeparator);
    cursor.insertText(line, format);

    // Caret at the end, nothing selected, the newest line in view even if the user scrolled up.
    setTextCursor(cursor);
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace tarvela::ui
