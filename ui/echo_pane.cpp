#include "echo_pane.h"

#include "base/echo_color.h"
#include "qt_text.h"
#include "style_catalog.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolTip>

namespace tarvela::ui {

EchoPane::EchoPane(QWidget* parent) : QPlainTextEdit(parent), flushTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("RzRichEditEchoCom"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    // Wrapped at the pane's width (a path without spaces anywhere): a line cut at the right edge
    // hid the end of long paths, and a pane scrolled right hid the start of every line.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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

    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(0);
    connect(flushTimer_, &QTimer::timeout, this, &EchoPane::flush);
}

QColor EchoPane::toQColor(std::uint32_t c) {
    const std::uint32_t n = color::normalized(c);
    return {static_cast<int>(color::red(n)), static_cast<int>(color::green(n)), static_cast<int>(color::blue(n))};
}

QColor EchoPane::shownColor(std::uint32_t c) {
    // The darkest paper the pane has in any style: a shade that reads there reads on all of them.
    static const QColor darkestPaper = [] {
        QColor darkest(Qt::white);
        for (const StyleColors& s : styleCatalog()) {
            if (contrastRatio(QColor(s.paper), QColor(Qt::black)) < contrastRatio(darkest, QColor(Qt::black)))
                darkest = QColor(s.paper);
        }
        // The desktop's own look puts the pane on the tooltip colour (pale yellow by default).
        const QColor tooltip = QToolTip::palette().color(QPalette::ToolTipBase);
        if (contrastRatio(tooltip, QColor(Qt::black)) >= 10.0 &&
            contrastRatio(tooltip, QColor(Qt::black)) < contrastRatio(darkest, QColor(Qt::black)))
            darkest = tooltip;
        return darkest;
    }();
    return readableOn(toQColor(c), darkestPaper);
}

void EchoPane::AddEchoText(std::string_view text, std::uint32_t c) {
    QTextCharFormat format;
    format.setForeground(shownColor(c));
    format.setFontWeight(color::isBold(color::normalized(c)) ? QFont::Bold : QFont::Normal);
    // A line break inside the line (a file name may hold one) stays inside its paragraph.
    QString line = qs(text);
    line.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    line.replace(QLatin1Char('\n'), QChar::LineSeparator).replace(QLatin1Char('\r'), QChar::LineSeparator);
    pending_.push_back({std::move(line), format});
    if (!flushTimer_->isActive())
        flushTimer_->start();
}

void EchoPane::flush() {
    flushTimer_->stop();
    if (pending_.empty())
        return;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    for (const Line& line : pending_) {
        if (!document()->isEmpty())
            cursor.insertBlock(QTextBlockFormat(), line.format);
        else
            cursor.setBlockCharFormat(line.format);
        cursor.insertText(line.text, line.format);
    }
    cursor.endEditBlock();
    pending_.clear();

    // Caret at the end, nothing selected, the newest line in view even if the user scrolled up.
    setTextCursor(cursor);
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

QTextDocument& EchoPane::lines() {
    flush();
    return *document();
}

} // namespace tarvela::ui
