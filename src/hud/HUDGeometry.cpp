#include "hud/HUDGeometry.h"

#include <algorithm>

namespace lumora::hud {

namespace {
constexpr double minimumFill = 6;
}

QPoint overlayOrigin(const QRect& availableGeometry) {
    const int right = availableGeometry.x() + availableGeometry.width();
    return {right - overlaySize.width() - cornerInset, availableGeometry.y() + cornerInset};
}

double levelFraction(qint64 brightness) {
    return double(std::clamp<qint64>(brightness, 0, 100)) / 100.0;
}

QList<double> tickCentres(double width, int ticks) {
    QList<double> centres;
    for (int k = 1; k < ticks; ++k)
        centres.append(width * k / ticks);
    return centres;
}

double fillWidth(double level, double width) {
    return std::max(level > 0 ? minimumFill : 0.0, level * width);
}

} // namespace lumora::hud
