#include "hud/LevelBar.h"

#include "hud/HUDGeometry.h"

#include <QPainter>

namespace lumora {

namespace {
constexpr double dotDiameter = 3;
constexpr double fillHeight = 6;
constexpr int animationMilliseconds = 120;
} // namespace

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(barHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_animation.setDuration(animationMilliseconds);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shown = value.toDouble();
        update();
    });
}

void LevelBar::setLevel(double level) {
    if (level == m_level)
        return;
    m_level = level;
    m_animation.stop();
    m_animation.setStartValue(m_shown);
    m_animation.setEndValue(level);
    m_animation.start();
}

void LevelBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double middle = height() / 2.0;

    painter.setBrush(QColor(255, 255, 255, qRound(0.35 * 255)));
    for (const double centre : hud::tickCentres(width(), hud::tickCount))
        painter.drawEllipse(QPointF(centre, middle), dotDiameter / 2, dotDiameter / 2);

    const double fill = hud::fillWidth(m_shown, width());
    if (fill > 0) {
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(0, middle - fillHeight / 2, fill, fillHeight),
                                fillHeight / 2, fillHeight / 2);
    }
}

} // namespace lumora
