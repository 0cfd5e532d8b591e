#pragma once

#include "platform/DesktopModes.h"

#include <QDBusConnection>
#include <QVariantMap>

namespace lumora {

namespace mutter {
struct Monitor;
}

// GNOME's display settings, through mutter's org.gnome.Mutter.DisplayConfig on the session bus. A
// mode is switched by re-applying the current layout with that one monitor's mode changed, as a
// temporary configuration: mutter neither saves it nor asks the user to confirm it.
class MutterDisplayConfig : public DesktopModes {
public:
    explicit MutterDisplayConfig(QDBusConnection bus);

    // Whether mutter answers on `bus`.
    static bool isOffered(const QDBusConnection& bus);

    std::optional<DisplayMode> currentMode(const QString& connector) const override;
    QList<DisplayMode> allModes(const QString& connector) const override;
    Result<void, QString> setMode(const QString& connector, const DisplayMode& mode) override;

    // The properties ApplyMonitorsConfig gets back from those of GetCurrentState.
    static QVariantMap appliedProperties(const QVariantMap& current);

private:
    std::optional<mutter::Monitor> monitor(const QString& connector) const;

    QDBusConnection m_bus;
};

} // namespace lumora
