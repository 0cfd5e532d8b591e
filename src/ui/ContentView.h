#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace lumora {

class BrightnessController;
class CommandButtons;
class MonitorRow;

// The whole content of the window: header, one row per monitor, command buttons, status line. It
// keeps no state of its own: every change the controller announces schedules one re-render from its
// values.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(BrightnessController& controller, QWidget* parent = nullptr);

signals:
    // A row asked for the monitors' calibration.
    void calibrationRequested();

private:
    void scheduleRender();
    void render();
    void renderRows();
    MonitorRow* makeRow();

    BrightnessController& m_controller;
    QVBoxLayout* m_layout;
    QList<MonitorRow*> m_rows;
    CommandButtons* m_commands;
    QLabel* m_status;
    bool m_renderPending = false;
};

} // namespace lumora
