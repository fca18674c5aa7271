#include "style_manager.h"

#include "indicator_style.h"
#include "style_catalog.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace tarvela::ui {
namespace {

QString css(const QColor& c) {
    return c.name(QColor::HexRgb);
}

constexpr const char* kSystemSheet = "#TarvelaUnstyled { }";

const StyleColors* find(const QString& name) {
    for (const StyleColors& s : styleCatalog())
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

// The platform's own style: the one Qt picked for this desktop, unless a named style has replaced
// it already (then the first style Qt offers besides Fusion, or Fusion).
QString platformStyleName() {
    const QString current = QApplication::style() != nullptr ? QApplication::style()->name() : QString();
    if (!current.isEmpty() && (qApp->styleSheet().isEmpty() || qApp->styleSheet() == QLatin1String(kSystemSheet)))
        return current;
    return QStringLiteral("Fusion");
}

} // namespace

TStyleManager::TStyleManager() : platformStyle_(platformStyleName()) {}

QStringList TStyleManager::StyleNames() {
    QStringList names{QString::fromLatin1(kSystemStyle)};
    for (const StyleColors& s : styleCatalog())
        names << QString::fromLatin1(s.name);
    return names;
}

QPalette TStyleManager::paletteOf(const StyleColors& s) {
    QPalette p;
    const QColor window(s.window), windowText(s.windowText), base(s.base), text(s.text), button(s.button),
        buttonText(s.buttonText), highlight(s.highlight), highlightText(s.highlightText);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Window, window);
        p.setColor(g, QPalette::WindowText, windowText);
        p.setColor(g, QPalette::Base, base);
        p.setColor(g, QPalette::AlternateBase, alternateBase(s));
        p.setColor(g, QPalette::Text, text);
        p.setColor(g, QPalette::Button, button);
        p.setColor(g, QPalette::ButtonText, buttonText);
        p.setColor(g, QPalette::Highlight, highlight);
        p.setColor(g, QPalette::HighlightedText, highlightText);
        p.setColor(g, QPalette::ToolTipBase, QColor(s.paper));
        p.setColor(g, QPalette::ToolTipText, QColor(s.ink));
        p.setColor(g, QPalette::PlaceholderText, placeholderText(s));
        p.setColor(g, QPalette::BrightText, highlightText);
        p.setColor(g, QPalette::Link, highlight);
        p.setColor(g, QPalette::Light, button.lighter(130));
        p.setColor(g, QPalette::Midlight, button.lighter(115));
        p.setColor(g, QPalette::Mid, QColor(s.border));
        p.setColor(g, QPalette::Dark, QColor(s.border).darker(130));
        p.setColor(g, QPalette::Shadow, QColor(s.border).darker(200));
    }
    // Disabled controls fade towards their background (exempt from the contrast rule).
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(s.border));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(s.border));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabledButtonText(s));
    return p;
}

QString TStyleManager::styleSheetOf(const StyleColors& s) {
    const int r = s.radius;
    QString sheet = QStringLiteral(
        "QPushButton { color: %1; border: 1px solid %2; border-radius: %3px; padding: 3px 4px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %4, stop:1 %5); }"
        "QPushButton:default, QPushButton:hover { border-color: %6; }"
        "QPushButton:pressed { background: %5; }"
        "QPushButton:disabled { color: %13; }"
        "QLineEdit, QListWidget, QTextEdit, QPlainTextEdit { border: 1px solid %2; border-radius: %7px; }"
        "QLineEdit { padding: 2px 4px; }"
        "QGroupBox { border: 1px solid %2; border-radius: %3px; margin-top: 10px; padding-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; color: %8; }"
        "QToolTip { color: %12; background: %11; border: 1px solid %2; }"
        "#RzPanel1 { background: %9; }"
        "#RzPanel1 QLabel { color: %10; }"
        "#RzRichEditEchoCom, #RzRichEdit1 { background: %11; }");
    return sheet
        .arg(css(QColor(s.buttonText)), css(QColor(s.border)), QString::number(r), css(buttonTop(s)),
             css(QColor(s.button)), css(QColor(s.highlight)), QString::number(r / 2), css(QColor(s.windowText)),
             css(QColor(s.strip)))
        .arg(css(QColor(s.stripText)), css(QColor(s.paper)), css(QColor(s.ink)), css(disabledButtonText(s)));
}

bool TStyleManager::SetStyle(const QString& name) {
    if (name == QLatin1String(kSystemStyle)) {
        QStyle* style = QStyleFactory::create(platformStyle_);
        if (style == nullptr)
            return false;
        // A sheet that styles nothing keeps the sheet machinery in place: emptying the sheet would
        // hand every widget back the palette it had under the named style.
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
        qApp->setStyleSheet(QString::fromLatin1(kSystemSheet));
        active_ = name;
        return true;
    }
    const StyleColors* s = find(name);
    if (s == nullptr)
        return false;
    QApplication::setStyle(new TIndicatorStyle(indicatorEdge(*s)));
    QApplication::setPalette(paletteOf(*s));
    qApp->setStyleSheet(styleSheetOf(*s));
    active_ = name;
    return true;
}

} // namespace tarvela::ui
