#pragma once

#include "control/ControllerConfig.h"

#include <QWidget>
#include <memory>

namespace lumora {

class BrightnessController;
class Displays;

// The application: one controller for the life of the process, shown by every window it opens.
class LumoraApp {
public:
    static constexpr QSize minimumContentSize{460, 330};

    LumoraApp(ControllerConfig config, Displays& displays);
    ~LumoraApp();

    // Created on first use, exactly once, and never replaced.
    BrightnessController& controller();

    // A new window titled "Lumora" showing the one controller; it deletes itself when closed.
    QWidget* openWindow();

private:
    ControllerConfig m_config;
    Displays& m_displays;
    std::unique_ptr<BrightnessController> m_controller;
};

} // namespace lumora
