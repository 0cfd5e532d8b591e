#pragma once

#include "control/ControllerConfig.h"

#include <QWidget>
#include <memory>

namespace lumora {

class BrightnessController;
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

    // A new window titled "Lumora" showing the one controller; it deletes itself when closed.
    // Showing it runs the start-up actions, once per process.
    QWidget* openWindow();

private:
    ControllerConfig m_config;
    Displays& m_displays;
    LoginItem& m_loginItem;
    std::unique_ptr<BrightnessController> m_controller;
};

} // namespace lumora
