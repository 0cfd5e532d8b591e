#pragma once

#include <QMargins>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where the calibration plot draws levels and luminances, kept apart from any widget.
namespace lumora::curveplot {

// Room around the plotting area for the scale's numbers.
inline constexpr QMarginsF margins{36, 10, 12, 24};

// The plotting area of a plot `size` large.
QRectF area(QSizeF size);

// The spot in `area` of built-in `level` (0 to 100, across) and `luminance` (0 to the monitor's
// maximum, up).
QPointF position(const QRectF& area, double level, double luminance, qint64 monitorMaximum);

} // namespace lumora::curveplot
