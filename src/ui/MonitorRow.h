#pragma once

#include "control/Monitor.h"

#include <QFrame>

class QLabel;
class QPushButton;

namespace lumora {

// One monitor's card: its name, its luminance against its maximum, and − / + buttons that ask
// for a step of 5; its context menu opens the calibration. It knows nothing of the controller: a
// click is only reported through change() or calibrate().
class MonitorRow : public QFrame {
    Q_OBJECT

public:
    static constexpr qint64 step = 5;

    explicit MonitorRow(QWidget* parent = nullptr);

    // Shows `monitor` as it is now; the row keeps this copy to say which monitor a click is for.
    void showMonitor(const Monitor& monitor, bool isWorking);
    const Monitor& monitor() const { return m_monitor; }

    static QString brightnessText(const Monitor& monitor);

signals:
    void change(qint64 step);
    void calibrate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Monitor m_monitor;
    QLabel* m_name;
    QLabel* m_brightness;
    QPushButton* m_stepDown;
    QPushButton* m_stepUp;
};

} // namespace lumora
