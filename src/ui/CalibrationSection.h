#pragma once

#include "control/MonitorCurve.h"

#include <QFrame>
#include <QString>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace lumora {

class CurvePlot;

// What the calibration window shows of one monitor.
struct CalibrationEntry {
    QString name;
    MonitorCurve curve;
    bool learning = false;
};

// One monitor's part of the calibration window: its curve, its limits, whether it learns, and a
// button to forget what it learned. It shows what it is given and reports what the user asks for.
class CalibrationSection : public QFrame {
    Q_OBJECT

public:
    explicit CalibrationSection(QWidget* parent = nullptr);

    void showEntry(const CalibrationEntry& entry, std::optional<qint64> currentLevel);

signals:
    void minimumChanged(qint64 luminance);
    void maximumChanged(qint64 luminance);
    void learningChanged(bool learning);
    void resetRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLayout* controls();
    void showLimits(const MonitorCurve& curve);

    QLabel* m_name;
    CurvePlot* m_plot;
    QSpinBox* m_minimum;
    QSpinBox* m_maximum;
    QCheckBox* m_learning;
    QPushButton* m_reset;
};

} // namespace lumora
