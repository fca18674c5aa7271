#pragma once
// The per-user window settings: QSettings of the organisation "Korvane" and the application
// "Tarvela" (an INI file in the user's configuration folder on Linux, the registry on Windows),
// with the values "TarvelaStyle", "TarvelaX" and "TarvelaY". Read once at start-up, written once
// when the main window closes.

#include <QPoint>
#include <QString>

#include <optional>

namespace tarvela::ui {

struct WindowSettings {
    QString style;                  // empty: no saved style
    std::optional<QPoint> position; // only when both values read as integers and X is above 0
};

WindowSettings readWindowSettings();
// False when the settings could not be written.
bool writeWindowSettings(const QString& style, QPoint position);

} // namespace tarvela::ui
