#include "window_settings.h"

#include <QSettings>

namespace tarvela::ui {
namespace {

constexpr const char* kOrganisation = "Korvane";
constexpr const char* kApplication = "Tarvela";
constexpr const char* kStyleKey = "TarvelaStyle";
constexpr const char* kXKey = "TarvelaX";
constexpr const char* kYKey = "TarvelaY";

std::optional<int> readInt(const QSettings& settings, const char* key) {
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

WindowSettings readWindowSettings() {
    const QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
    WindowSettings result;
    result.style = settings.value(QLatin1String(kStyleKey)).toString();
    const std::optional<int> x = readInt(settings, kXKey);
    const std::optional<int> y = readInt(settings, kYKey);
    // A vertical position alone, or a window left at the screen's edge or beyond it, is not used.
    if (x && y && *x > 0)
        result.position = QPoint(*x, *y);
    return result;
}

bool writeWindowSettings(const QString& style, QPoint position) {
    QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
    settings.setValue(QLatin1String(kStyleKey), style);
    settings.setValue(QLatin1String(kXKey), position.x());
    settings.setValue(QLatin1String(kYKey), position.y());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace tarvela::ui
