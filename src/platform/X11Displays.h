#pragma once

#include "platform/Displays.h"

#include <QTimer>

class QScreen;
typedef struct _XDisplay Display;

namespace lumora {

// Screens and modes on X11. A screen driven by a RandR output of its own gets the output's id as
// its number, the monitor's EDID product name as its name and the output's modes. A screen
// without one (the offscreen platform, or a monitor made with `xrandr --setmonitor`) gets a
// number derived from its name, that name, and no modes. Built in means a panel connector: eDP,
// LVDS or DSI.
class X11Displays : public Displays {
    Q_OBJECT

public:
    explicit X11Displays(QObject* parent = nullptr);

    QList<Screen> screens() const override;
    bool isBuiltin(quint32 display) const override;
    quint32 mainDisplay() const override;
    std::optional<DisplayMode> currentMode(quint32 display) const override;
    QList<DisplayMode> allModes(quint32 display) const override;
    Result<void, QString> setMode(quint32 display, const DisplayMode& mode) override;

    static quint32 numberForName(const QString& name);
    static bool isPanelConnector(const QString& name);

private:
    struct Entry {
        Screen screen;
        QString connector;
        bool hasOutput = false;
    };

    QList<Entry> entries() const;
    Entry entry(QScreen* screen) const;
    std::optional<Entry> entryFor(quint32 display) const;
    // Whether the display is a RandR output of its own, with modes to list and set.
    bool hasOwnOutput(quint32 display) const;
    void watch(QScreen* screen);
    void screensChanged();

    Display* m_display = nullptr;
    QTimer m_settle;
    // Asked at every poll of the built-in brightness: kept until the screens change, so an idle
    // poll costs no round trip to the X server.
    mutable std::optional<quint32> m_mainDisplay;
};

} // namespace lumora
