#include "platform/OverlayWindow.h"

#include <QGuiApplication>
#include <QWidget>

namespace lumora {

void prepareOverlayWindow(QWidget* window) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                            Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    // Elsewhere the hint means something else (no shell surface at all on Wayland).
    if (QGuiApplication::platformName() == QStringLiteral("xcb"))
        flags |= Qt::BypassWindowManagerHint;
    window->setWindowFlags(flags);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
}

} // namespace lumora
