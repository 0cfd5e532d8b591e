#pragma once

#include "base/Result.h"
#include "platform/Screen.h"

#include <QList>
#include <QObject>
#include <optional>

namespace lumora {

// The connected screens and their display modes.
//
// Every call answers for the moment it is made. screenParametersChanged() fires on the main
// thread when a screen is added or removed or changes its geometry.
class Displays : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The screens in the platform's order.
    virtual QList<Screen> screens() const = 0;
    // Whether the display is the computer's own panel.
    virtual bool isBuiltin(quint32 display) const = 0;
    // The screens with a display number that are not the built-in panel, in the platform's order.
    // A platform whose look-ups are costly answers it in one pass.
    virtual QList<Screen> externalScreens() const {
        QList<Screen> external = screens();
        external.removeIf(
            [this](const Screen& screen) { return !screen.number || isBuiltin(*screen.number); });
        return external;
    }
    // The display carrying the primary screen.
    virtual quint32 mainDisplay() const = 0;

    virtual std::optional<DisplayMode> currentMode(quint32 display) const = 0;
    // Empty when the display's modes cannot be listed.
    virtual QList<DisplayMode> allModes(quint32 display) const = 0;
    // Switches the display to `mode`; on failure, the platform's reason.
    virtual Result<void, QString> setMode(quint32 display, const DisplayMode& mode) = 0;

    // Whether a window can be put at a place of our choosing. Where it cannot (native Wayland),
    // no overlay is shown, and a cover window is made full screen on its screen instead.
    virtual bool canPlaceWindows() const { return true; }

signals:
    void screenParametersChanged();
};

} // namespace lumora
