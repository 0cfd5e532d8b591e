#include "ui/CurvePlot.h"

#include "style/Theme.h"
#include "ui/CurveGeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace lumora {

namespace {

constexpr qint64 highestLevel = 100;
constexpr double pointRadius = 4.5;
constexpr double currentRadius = 3.5;
constexpr double curveWidth = 2;
constexpr QSize preferredSize(420, 220);
constexpr int numberGap = 6;

} // namespace

CurvePlot::CurvePlot(QWidget* parent) : QWidget(parent) {
    setMinimumSize(preferredSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CurvePlot::showCurve(const MonitorCurve& curve, std::optional<qint64> currentLevel) {
    m_curve = curve;
    m_currentLevel = currentLevel;
    update();
}

QSize CurvePlot::sizeHint() const {
    return preferredSize;
}

void CurvePlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = curveplot::area(size());
    paintScale(painter, area);
    paintLimits(painter, area);
    paintIdentity(painter, area);
    paintCurrentLevel(painter, area);
    paintCurve(painter, area);
    paintPoints(painter, area);
}

QPointF CurvePlot::at(const QRectF& area, double level, double luminance) const {
    return curveplot::position(area, level, luminance, m_curve.monitorMaximum());
}

// A frame with quarter lines, the levels 0, 50 and 100 below and the luminances 0, half and the
// monitor's maximum to the left.
void CurvePlot::paintScale(QPainter& painter, const QRectF& area) const {
    painter.setPen(QPen(faint(0.08), 1));
    for (int quarter = 1; quarter < 4; ++quarter) {
        const QPointF corner = at(area, 25.0 * quarter, m_curve.monitorMaximum() * quarter / 4.0);
        painter.drawLine(QLineF(corner.x(), area.top(), corner.x(), area.bottom()));
        painter.drawLine(QLineF(area.left(), corner.y(), area.right(), corner.y()));
    }
    painter.setPen(QPen(faint(0.3), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);

    painter.setFont(theme::footnote());
    painter.setPen(faint(0.55));
    const qint64 top = m_curve.monitorMaximum();
    for (const qint64 level : {qint64(0), highestLevel / 2, highestLevel}) {
        const QPointF spot = at(area, double(level), 0);
        painter.drawText(QRectF(spot.x() - 20, area.bottom() + numberGap / 2, 40, 16),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(level));
    }
    for (const qint64 luminance : {qint64(0), top / 2, top}) {
        const QPointF spot = at(area, 0, double(luminance));
        painter.drawText(QRectF(0, spot.y() - 8, area.left() - numberGap, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(luminance));
    }
}

// The luminances the limits keep the monitor from are shaded, the limits drawn as lines.
void CurvePlot::paintLimits(QPainter& painter, const QRectF& area) const {
    const QPointF minimum = at(area, highestLevel, double(m_curve.minimum()));
    const QPointF maximum = at(area, 0, double(m_curve.maximum()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(faint(0.07));
    painter.drawRect(QRectF(area.topLeft(), QPointF(area.right(), maximum.y())));
    painter.drawRect(QRectF(QPointF(area.left(), minimum.y()), area.bottomRight()));
    painter.setPen(QPen(faint(0.35), 1));
    painter.drawLine(QLineF(area.left(), minimum.y(), area.right(), minimum.y()));
    painter.drawLine(QLineF(area.left(), maximum.y(), area.right(), maximum.y()));
}

// The level as the luminance, where every curve starts from.
void CurvePlot::paintIdentity(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.setClipRect(area);
    painter.setPen(QPen(faint(0.35), 1, Qt::DashLine));
    painter.drawLine(at(area, 0, 0), at(area, highestLevel, highestLevel));
    painter.restore();
}

void CurvePlot::paintCurve(QPainter& painter, const QRectF& area) const {
    // Fine enough that a bend where the curve meets a limit falls on a sample.
    constexpr int samplesPerLevel = 4;
    QPainterPath path(at(area, 1, m_curve.exactLuminanceFor(1)));
    for (int sample = samplesPerLevel + 1; sample <= highestLevel * samplesPerLevel; ++sample) {
        const double level = double(sample) / samplesPerLevel;
        path.lineTo(at(area, level, m_curve.exactLuminanceFor(level)));
    }
    painter.setPen(QPen(theme::accent(), curveWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

// A line at the built-in level and a ring where the curve puts the monitor at it.
void CurvePlot::paintCurrentLevel(QPainter& painter, const QRectF& area) const {
    if (!m_currentLevel)
        return;
    const qint64 level = qBound(qint64(0), *m_currentLevel, highestLevel);
    const QPointF foot = at(area, double(level), 0);
    painter.setPen(QPen(faint(0.45), 1));
    painter.drawLine(QLineF(foot.x(), area.top(), foot.x(), area.bottom()));
    if (level == 0)
        return;
    painter.setPen(QPen(theme::accent(), curveWidth));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawEllipse(at(area, double(level), double(m_curve.luminanceFor(level))), currentRadius,
                        currentRadius);
}

void CurvePlot::paintPoints(QPainter& painter, const QRectF& area) const {
    // A rim of the background keeps each dot apart from the line it sits on.
    painter.setPen(QPen(palette().color(QPalette::Window), 1.5));
    painter.setBrush(theme::accent());
    for (auto [level, luminance] : m_curve.points().asKeyValueRange())
        painter.drawEllipse(at(area, double(level), double(luminance)), pointRadius, pointRadius);
}

// The text colour, faded.
QColor CurvePlot::faint(double alpha) const {
    QColor colour = palette().color(QPalette::WindowText);
    colour.setAlphaF(float(alpha));
    return colour;
}

} // namespace lumora
