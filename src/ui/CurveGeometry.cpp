#include "ui/CurveGeometry.h"

#include <QtGlobal>

namespace lumora::curveplot {

namespace {
constexpr double highestLevel = 100;
} // namespace

QRectF area(QSizeF size) {
    return QRectF(QPointF(0, 0), size).marginsRemoved(margins);
}

QPointF position(const QRectF& area, double level, double luminance, qint64 monitorMaximum) {
    const double top = double(qMax<qint64>(monitorMaximum, 1));
    return {area.left() + area.width() * level / highestLevel,
            area.bottom() - area.height() * luminance / top};
}

} // namespace lumora::curveplot
