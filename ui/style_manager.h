#pragma once
// Applies the program's visual styles to every window at once: "Windows", the platform's own look
// (the style Qt chose for this desktop when the manager was made, with its standard palette), and
// the 17 named styles of the catalogue, each a palette and a style sheet over Fusion.

#include <QPalette>
#include <QString>
#include <QStringList>

namespace tarvela::ui {

struct StyleColors;

class TStyleManager {
public:
    static constexpr const char* kSystemStyle = "Windows";
    static constexpr const char* kDefaultStyle = "Smokey Quartz Kamri";

    TStyleManager();

    // "Windows" first, then the named styles.
    static QStringList StyleNames();
    // Applies the style; false (and nothing changes) for a name it does not know.
    bool SetStyle(const QString& name);
    const QString& ActiveStyleName() const { return active_; }

    // What a named style consists of.
    static QPalette paletteOf(const StyleColors& style);
    static QString styleSheetOf(const StyleColors& style);

private:
    QString platformStyle_;
    QString active_;
};

} // namespace tarvela::ui
