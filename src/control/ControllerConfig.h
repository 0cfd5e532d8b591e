#pragma once

#include "control/Wording.h"
#include "hud/BrightnessHUD.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <chrono>

namespace lumora {

// What the controller is built with. The application uses standard(), made of the values fixed
// at build time; tests put in their own tools.
struct ControllerConfig {
    QString executable;               // the luminance tool
    QStringList displaySerialNumbers; // the two monitors, for power commands
    // Our DDC tool, which finds the monitors and their serials where none were configured;
    // empty when the serials are configured.
    QString detectionTool;
    // The luminance tool is our own lumora-ddc: a follow step sends the level without reading it
    // back, and the monitors are read once the level has settled.
    bool setsWithoutReadBack = false;
    QSet<QString> signalWakeDisplayNames;    // screens woken by re-setting their display mode
    std::chrono::milliseconds toolTimeLimit; // a tool running longer is killed
    QString applicationFolder;               // where panelctl lives, beside the application
    QString brightnessLibrary;               // answers the built-in display's brightness
    HUDTiming overlayTiming;                 // how long the overlay stays and fades
    Wording wording;                         // how the texts name the desk
    QString curvesFolder;                    // where the monitors' curves are kept

    static ControllerConfig standard();
};

} // namespace lumora
