#pragma once
// Small helpers the windows use to make their controls: UTF-8 captions and object names.

#include <QString>

namespace tarvela::ui {

inline QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

// Gives the widget (or object) its name, which is also how the tests find it.
template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace tarvela::ui
