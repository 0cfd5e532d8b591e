#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The overlay's arithmetic, kept apart from any widget.
namespace lumora::hud {

inline constexpr QSize overlaySize{320, 76};
inline constexpr int cornerInset = 10;
inline constexpr int tickCount = 16;

// The overlay's top-left corner: the top-right corner of the available area, 10 in from its right
// and top edges.
QPoint overlayOrigin(const QRect& availableGeometry);

// A brightness percentage as a fraction of full, clamped to 0…1.
double levelFraction(qint64 brightness);

// Centres of the tick dots on a bar `width` wide divided into `ticks` parts: one at every
// division, none at either end.
QList<double> tickCentres(double width, int ticks);

// Width of the bar's filled capsule: never thinner than a round dot unless the level is 0.
double fillWidth(double level, double width);

} // namespace lumora::hud
