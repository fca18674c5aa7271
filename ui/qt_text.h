#pragma once
// The engine speaks UTF-8 std::string; the windows speak QString.

#include <QString>

#include <string>
#include <string_view>

namespace tarvela::ui {

inline QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string utf8(const QString& s) {
    return s.toStdString();
}

} // namespace tarvela::ui
