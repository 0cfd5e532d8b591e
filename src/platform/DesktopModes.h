#pragma once

#include "base/Result.h"
#include "platform/Screen.h"

#include <QList>
#include <QString>
#include <optional>

namespace lumora {

// Display modes as the desktop itself sets them, for monitors whose modes the window system only
// emulates (XWayland) or does not offer (native Wayland). Monitors are named by their connector
// ("HDMI-1"). Every call answers for the moment it is made; an unknown connector has no current
// mode and no modes.
class DesktopModes {
public:
    virtual ~DesktopModes() = default;

    virtual std::optional<DisplayMode> currentMode(const QString& connector) const = 0;
    virtual QList<DisplayMode> allModes(const QString& connector) const = 0;
    // Switches the monitor to `mode`, one of allModes(); on failure, the desktop's reason.
    virtual Result<void, QString> setMode(const QString& connector, const DisplayMode& mode) = 0;
};

} // namespace lumora
