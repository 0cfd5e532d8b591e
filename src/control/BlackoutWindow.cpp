#include "control/BlackoutWindow.h"

#include "platform/OverlayWindow.h"

namespace lumora {

BlackoutWindow::BlackoutWindow() {
    setObjectName(QStringLiteral("blackout"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    prepareOverlayWindow(this);
}

void BlackoutWindow::cover(const QRect& geometry) {
    setGeometry(geometry);
    showOverlayWindow(this);
    raise();
}

} // namespace lumora
