#include "log_document.h"

#include "base/echo_color.h"
#include "echo_pane.h"
#include "qt_text.h"
#include "log/rtf_reader.h"
#include "log/run_log.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace tarvela::ui {
namespace {

std::uint32_t toEchoColor(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

std::uint32_t blockColor(const QTextBlock& block) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            return toEchoColor(format.foreground().color());
        return color::kBlack;
    }
    const QTextCharFormat format = block.charFormat();
    return format.hasProperty(QTextFormat::ForegroundBrush) ? toEchoColor(format.foreground().color()) : color::kBlack;
}

} // namespace

void fillDocument(QTextDocument& document, std::string_view rtf) {
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const RtfParagraph& paragraph : readRtf(rtf)) {
        if (!first)
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        first = false;
        for (const RtfRun& run : paragraph.runs) {
            QTextCharFormat format;
            if (run.color)
                format.setForeground(EchoPane::toQColor(*run.color));
            format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            cursor.insertText(qs(run.text), format);
        }
    }
}

std::string documentToRtf(const QTextDocument& document) {
    RunLog log;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A line break inside a paragraph stays one (the writer turns it into \line).
        QString line = block.text();
        line.replace(QChar::LineSeparator, QLatin1Char('\n'));
        log.AddLogText(utf8(line), blockColor(block));
    }
    return log.document();
}

} // namespace tarvela::ui
