#pragma once

#include "control/ControllerConfig.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace lumora {

class BrightnessController;
class CalibrationWindow;
class Displays;
class LoginItem;

// The application: one controller for the life of the process, shown by every window it opens.
class LumoraApp {
public:
    static constexpr QSize minimumContentSize{460, 330};

    LumoraApp(ControllerConfig config, Displays& displays, LoginItem& loginItem);
    ~LumoraApp();

    // Created on first use, exactly once, and never replaced.
    BrightnessController& controller();

    // A new window titled "Lumora" showing the one controller; it deletes itself when closed,
    // and Ctrl+Q in it quits. Showing it runs the start-up actions, once per process.
    QWidget* openWindow();
    // Brings the last opened window to the front, opening a new one if it was closed.
    void showWindow();

    // The monitors' calibration window, opened on first use and brought to the front after.
    void showCalibration();

    // Stops following and any tool now running, and ends the event loop; shutDown() follows once
    // it has ended. Following goes on with every window closed: only this ends Lumora.
    void quit();
    // Leaves no external monitor dark: switches back on a backlight Lumora switched off.
    void shutDown();

private:
    CalibrationWindow* openCalibration();

    ControllerConfig m_config;
    Displays& m_displays;
    LoginItem& m_loginItem;
    std::unique_ptr<BrightnessController> m_controller;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_calibration;
};

} // namespace lumora
