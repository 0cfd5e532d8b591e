#pragma once

#include <QVariantAnimation>
#include <QWidget>

namespace lumora {

// The overlay's level bar: faint dots at every division and a white capsule that grows from the
// left with the level, easing out over 0.12 s whenever the level changes.
class LevelBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 8;

    explicit LevelBar(QWidget* parent = nullptr);

    void setLevel(double level);
    double level() const { return m_level; }
    // The level the fill shows right now, on its way to level().
    double shownLevel() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_level = 0;
    double m_shown = 0;
    QVariantAnimation m_animation;
};

} // namespace lumora
