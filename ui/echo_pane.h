#pragma once
// The operation echo: one coloured paragraph per line, red lines bold, never cleared, scrolled to
// the newest line after every append. Long lines wrap, so the start of every line and the end of a
// long path are both in view. Built on the plain-text editor's layout, which lays out only
// what it shows.
//
// Appends are collected and put into the document together when the event loop next runs (a run
// lets it run every ~20 ms) or when someone reads the pane through lines(): one edit of the
// document per batch instead of one per line keeps a run of 100 000 lines cheap. Nothing can see
// the difference: the pane is painted only when the event loop runs, and that flushes first.

#include <QPlainTextEdit>
#include <QTextCharFormat>

#include <cstdint>
#include <string_view>
#include <vector>

class QTimer;

namespace tarvela::ui {

class EchoPane final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EchoPane(QWidget* parent);

    // Appends one line in a colour of EchoColor (0x00BBGGRR); "no colour" is black, red is bold.
    void AddEchoText(std::string_view text, std::uint32_t color);

    // Puts the collected lines into the document and scrolls to the newest one.
    void flush();
    // The document with every line appended so far.
    QTextDocument& lines();

    // The toolkit colour of an echo colour value.
    static QColor toQColor(std::uint32_t color);
    // The colour a line of that value is shown in: the value's own, except where it would read
    // below 4.5:1 on the pane's paper in some style (pure red, the orange of notices); those are
    // shown in the nearest darker shade that reads on every style's paper. The log keeps the value.
    static QColor shownColor(std::uint32_t color);

private:
    struct Line {
        QString text;
        QTextCharFormat format;
    };
    std::vector<Line> pending_;
    QTimer* flushTimer_ = nullptr;
};

} // namespace tarvela::ui
