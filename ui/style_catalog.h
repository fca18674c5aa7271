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

// The light colour of the arrows and the word "Tarvela" in the strip's picture (ui/art/strip.png):
// the strip's own colour shows through the picture and must let them read.
inline constexpr QRgb kStripArtColor = 0xE6E8EC;

// Derived colours, the same for the palette, the sheet, the drawing and the contrast check.
QColor buttonTop(const StyleColors& s);
QColor alternateBase(const StyleColors& s);
QColor placeholderText(const StyleColors& s);
// Text of a disabled button: clearly fainter than an enabled button's text, so that of the two
// direction buttons the one that may be pressed stands out.
QColor disabledButtonText(const StyleColors& s);
// Edge of check-box and radio indicators and of the slider's groove: it stands out from the window
// and from the indicator's own fill, so that an unticked box or an unselected role can be seen.
QColor indicatorEdge(const StyleColors& s);

// `fixed` when it reads on `background` (4.5:1); otherwise the nearest lighter (on a dark
// background) or darker shade of it that does. Fixed colours of the questions go through here.
QColor readableOn(const QColor& fixed, const QColor& background);

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);

} // namespace tarvela::ui
