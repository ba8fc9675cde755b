// Bringing a window in front of the others, where the window system keeps an order of windows.
// The offscreen platform (tests, unattended runs) keeps none and warns at every request, so it
// is not asked. Header only: for the window classes, which link the widgets.
#pragma once

#include <QGuiApplication>
#include <QWidget>

namespace k7 {

inline bool WindowsHaveAnOrder() {
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

inline void RaiseWindow(QWidget& window) {
    if (WindowsHaveAnOrder()) {
        window.raise();
    }
}

} // namespace k7
