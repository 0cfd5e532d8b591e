#pragma once

#include "platform/BuiltinPanel.h"

#include <QDBusConnection>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <optional>

struct udev;
struct udev_monitor;

namespace lumora {

class Displays;
class SystemSleep;

// What the panel connectors under the DRM class folder say of the laptop's panel.
enum class PanelConnectors { Unknown, Lit, Dark };

// The laptop's panel on Linux, known to be dark when any of these says so:
// - the computer is between logind's PrepareForSleep(true) and PrepareForSleep(false);
// - the window system no longer shows a built-in screen it has shown since the start;
// - the connected panel connectors (eDP, LVDS, DSI): dark when none is `enabled` with `dpms` On,
//   lit when one is, whatever the lid says;
// - where no panel connector can tell, logind says the lid is closed.
// The connectors are read at every question, never kept: a level read just after the panel went
// dark is weighed against the panel's state of that moment. logind is never waited for: its lid
// is asked in the background whenever the panel may have changed (the connectors' uevents, screen
// changes, sleep and resume) and kept. On a computer without a connected panel connector, a
// built-in screen or a closed lid (a desktop, a virtual machine), the panel never counts as off.
//
// changed() fires when the answer turns, as seen on the connectors' uevents, on screen changes
// and on logind's signals and answers.
class LinuxBuiltinPanel : public BuiltinPanel {
    Q_OBJECT

public:
    // `drmFolder` is laid out like /sys/class/drm; `systemBus` may be disconnected.
    LinuxBuiltinPanel(Displays& displays, QString drmFolder, QDBusConnection systemBus,
                      SystemSleep& sleep, QObject* parent = nullptr);
    ~LinuxBuiltinPanel() override;

    bool isKnownOff() const override;

private slots:
    // logind's signals, connected by name on the system bus.
    void logindPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                 const QStringList& invalidated);

private:
    void screensChanged();
    void setAsleep(bool isAsleep);
    void update();
    void watchLogind();
    void watchConnectors();
    // Asks logind for its lid in the background; the answer updates the panel's state.
    void askLid();

    Displays& m_displays;
    const QString m_drmFolder;
    QDBusConnection m_systemBus;
    bool m_isLidClosed = false;
    bool m_isAsleep = false;
    bool m_showsBuiltinScreen = false;
    bool m_sawBuiltinScreen = false;
    bool m_wasKnownOff = false;
    udev* m_udev = nullptr;
    udev_monitor* m_uevents = nullptr;
    std::unique_ptr<QSocketNotifier> m_ueventNotifier;
};

} // namespace lumora
