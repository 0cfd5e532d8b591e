#pragma once

#include "control/MonitorCurve.h"

#include <QWidget>
#include <optional>

class QPainter;

namespace lumora {

// One monitor's curve drawn over the built-in level: the curve itself, its learned points, the
// limits it keeps to, the identity it started from and, when known, the level the built-in display
// is at now.
class CurvePlot : public QWidget {
    Q_OBJECT

public:
    explicit CurvePlot(QWidget* parent = nullptr);

    void showCurve(const MonitorCurve& curve, std::optional<qint64> currentLevel);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF at(const QRectF& area, double level, double luminance) const;
    void paintScale(QPainter& painter, const QRectF& area) const;
    void paintLimits(QPainter& painter, const QRectF& area) const;
    void paintIdentity(QPainter& painter, const QRectF& area) const;
    void paintCurve(QPainter& painter, const QRectF& area) const;
    void paintCurrentLevel(QPainter& painter, const QRectF& area) const;
    void paintPoints(QPainter& painter, const QRectF& area) const;
    QColor faint(double alpha) const;

    MonitorCurve m_curve;
    std::optional<qint64> m_currentLevel;
};

} // namespace lumora
