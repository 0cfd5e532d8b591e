#pragma once

#include "platform/DesktopModes.h"
#include "platform/Displays.h"
#include "platform/WaylandOutputs.h"

#include <QHash>
#include <QTimer>

class QScreen;
typedef struct _XDisplay Display;

namespace lumora {

// Screens and modes on X11. A screen driven by a RandR output of its own gets the output's id as
// its number, the monitor's EDID product name as its name and the output's modes. A screen
// without one (the offscreen platform, native Wayland, or a monitor made with `xrandr
// --setmonitor`) gets a number derived from its name, that name, and the desktop's modes for it.
// Built in means a panel connector: eDP, LVDS or DSI.
//
// Under XWayland the RandR outputs are emulated ("XWAYLAND0"…, no EDID, modes that change
// nothing): each one takes the connector of the compositor's output at its place instead, a number
// derived from that connector (so it survives re-plugging), and the desktop's modes for it.
// Where a DRM class folder is given, screens named after a connector take the monitor's name from
// the connector's EDID there.
class X11Displays : public Displays {
    Q_OBJECT

public:
    explicit X11Displays(DesktopModes* desktopModes = nullptr, QString drmFolder = {},
                         QObject* parent = nullptr);

    QList<Screen> screens() const override;
    bool isBuiltin(quint32 display) const override;
    QList<Screen> externalScreens() const override;
    quint32 mainDisplay() const override;
    std::optional<DisplayMode> currentMode(quint32 display) const override;
    QList<DisplayMode> allModes(quint32 display) const override;
    Result<void, QString> setMode(quint32 display, const DisplayMode& mode) override;
    bool canPlaceWindows() const override;

    static quint32 numberForName(const QString& name);
    static bool isPanelConnector(const QString& name);

private:
    struct Entry {
        Screen screen;
        QString qtName;
        QString connector;
        // The RandR output whose id is the number and whose modes are real.
        std::optional<quint32> output;
    };

    QList<Entry> entries() const;
    Entry entry(QScreen* screen) const;
    void takeCompositorIdentity(Entry& entry, const std::optional<QRect>& frame) const;
    struct MonitorIdentity {
        QString name; // the EDID product name, or the connector's name without one
        QString serial;
    };
    void takeMonitorIdentity(Entry& entry, const QString& connector) const;
    MonitorIdentity monitorIdentity(const QString& connector) const;
    std::optional<Entry> entryFor(quint32 display) const;
    const QList<wayland::Output>& compositorOutputs() const;
    void watch(QScreen* screen);
    void screensChanged();

    DesktopModes* m_desktopModes;
    const QString m_drmFolder;
    Display* m_display = nullptr;
    QTimer m_settle;
    // Asked at every poll of the built-in brightness: kept until the screens change, so an idle
    // poll costs no round trip to the X server.
    mutable std::optional<quint32> m_mainDisplay;
    // Read from the compositor when an emulated output first needs it; kept until the screens
    // change.
    mutable std::optional<QList<wayland::Output>> m_compositorOutputs;
    // Monitors as the connectors' EDID files name them, kept until the screens change: the
    // overlay asks for the screens at every showing.
    mutable QHash<QString, MonitorIdentity> m_monitors;
};

} // namespace lumora
