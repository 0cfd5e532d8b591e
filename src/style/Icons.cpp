#include "style/Icons.h"

#include <QPainter>
#include <QtMath>

namespace lumora::icons {

namespace {

constexpr int symbolSize = 16;
constexpr qreal scale = 2.0; // drawn at twice the size so it stays sharp on dense screens

template <typename Draw> QPixmap drawn(int size, Draw draw) {
    QPixmap pixmap(qRound(size * scale), qRound(size * scale));
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, qreal(size));
    return pixmap;
}

QPen strokePen(const QColor& color, qreal width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPixmap strokes(const QColor& color, bool vertical) {
    return drawn(symbolSize, [&](QPainter& painter, qreal size) {
        painter.setPen(strokePen(color, size / 8));
        const qreal inset = size / 4;
        painter.drawLine(QPointF(inset, size / 2), QPointF(size - inset, size / 2));
        if (vertical)
            painter.drawLine(QPointF(size / 2, inset), QPointF(size / 2, size - inset));
    });
}

} // namespace

QPixmap sun(int size, const QColor& color) {
    return drawn(size, [&](QPainter& painter, qreal side) {
        const QPointF centre(side / 2, side / 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(centre, side * 0.22, side * 0.22);
        painter.setPen(strokePen(color, side / 14));
        for (int ray = 0; ray < 8; ++ray) {
            const qreal angle = ray * M_PI / 4;
            const QPointF direction(qCos(angle), qSin(angle));
            painter.drawLine(centre + direction * side * 0.33, centre + direction * side * 0.45);
        }
    });
}

QPixmap minus(const QColor& color) {
    return strokes(color, false);
}

QPixmap plus(const QColor& color) {
    return strokes(color, true);
}

QPixmap refresh(const QColor& color) {
    return drawn(symbolSize, [&](QPainter& painter, qreal size) {
        painter.setPen(strokePen(color, size / 9));
        const QRectF circle(size * 0.2, size * 0.2, size * 0.6, size * 0.6);
        painter.drawArc(circle, 90 * 16, -300 * 16);
        // The arrow head at the arc's open end, pointing clockwise.
        const QPointF tip(size * 0.5, size * 0.2);
        painter.setBrush(color);
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(
            QPolygonF({tip + QPointF(size * 0.16, 0), tip + QPointF(-size * 0.04, -size * 0.14),
                       tip + QPointF(-size * 0.04, size * 0.14)}));
    });
}

QIcon forButton(QPixmap (*symbol)(const QColor&), const QColor& color, const QColor& disabled) {
    QIcon icon(symbol(color));
    icon.addPixmap(symbol(disabled), QIcon::Disabled);
    return icon;
}

} // namespace lumora::icons
