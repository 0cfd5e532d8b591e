#pragma once

#include <QWidget>

class QLabel;

namespace lumora {

class HUDModel;
class LevelBar;

// The overlay, 320 × 76: the screen's name over a row of a small sun, the level bar and a
// large sun, on a dark translucent rounded rectangle. It redraws whenever its model changes.
class HUDView : public QWidget {
    Q_OBJECT

public:
    explicit HUDView(const HUDModel& model, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void render();

    const HUDModel& m_model;
    QLabel* m_title;
    LevelBar* m_bar;
};

} // namespace lumora
