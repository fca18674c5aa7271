#pragma once
// The program's named visual styles: each one a palette and a style sheet of our own design over
// Qt's Fusion style. Every text colour is paired with the background it stands on, so the pairs can
// be checked for contrast.

#include <QColor>
#include <QString>

#include <vector>

namespace tarvela::ui {

struct StyleColors {
    const char* name;
    QRgb window, windowText;       // window background and its text (labels, group titles)
    QRgb base, text;               // edit boxes and lists
    QRgb button, buttonText;       // buttons (the sheet shades them from buttonTop to button)
    QRgb highlight, highlightText; // selection
    QRgb border;                   // frames of controls and groups
    QRgb strip, stripText;         // the main window's left strip
    QRgb paper, ink;               // the echo pane and the log: light paper for the fixed echo colours
    int radius;                    // corner radius of buttons and groups, in pixels
};

// The 17 named styles, in menu order.
const std::vector<StyleColors>& styleCatalog();

// Derived colours, the same for the palette, the sheet and the contrast check.
QColor buttonTop(const StyleColors& s);
QColor alternateBase(const StyleColors& s);
QColor placeholderText(const StyleColors& s);

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);

} // namespace tarvela::ui
