#include "control/BlackoutWindow.h"

#include "platform/OverlayWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace lumora {

BlackoutWindow::BlackoutWindow() {
    setObjectName(QStringLiteral("blackout"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    prepareOverlayWindow(this);
}

void BlackoutWindow::cover(const QRect& geometry, bool canPlace) {
    if (!canPlace) {
        // The compositor puts a full-screen window on the screen it is asked for; raising is its
        // business. Not showFullScreen(): it asks for the focus, which this window refuses.
        winId();
        windowHandle()->setScreen(QGuiApplication::screenAt(geometry.center()));
        setWindowState(Qt::WindowFullScreen);
        show();
        return;
    }
    setGeometry(geometry);
    show();
    raise();
}

} // namespace lumora
