#pragma once
// The operation echo: one coloured paragraph per line, red lines bold, never cleared, always
// scrolled to the newest line after an append. Built on the plain-text editor's layout, which
// lays out only what it shows, so that a run of 100 000 lines does not slow down as it grows.

#include <QPlainTextEdit>

#include <cstdint>
#include <string_view>

namespace tarvela::ui {

class EchoPane final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EchoPane(QWidget* parent);

    // Appends one line in a colour of EchoColor (0x00BBGGRR); "no colour" is black, red is bold.
    void AddEchoText(std::string_view text, std::uint32_t color);

    // The toolkit colour of an echo colour value.
    static QColor toQColor(std::uint32_t color);
};

} // namespace tarvela::ui
