#pragma once

#include "platform/DesktopModes.h"
#include "platform/WaylandConnection.h"

#include <memory>

namespace lumora {

namespace kde {
struct Devices;
}

// Plasma's display settings, through KWin's kde_output_device_v2 globals (one per monitor,
// named by its connector) and kde_output_management_v2, over a connection of our own. A
// configuration names only what changes: the one monitor's mode.
class KdeOutputManagement : public DesktopModes {
public:
    // Binds the globals of `connection` and waits for their state until `deadline`; what comes
    // later is taken as it comes.
    KdeOutputManagement(std::unique_ptr<WaylandConnection> connection,
                        WaylandConnection::Deadline deadline);
    ~KdeOutputManagement() override;

    std::optional<DisplayMode> currentMode(const QString& connector) const override;
    QList<DisplayMode> allModes(const QString& connector) const override;
    Result<void, QString> setMode(const QString& connector, const DisplayMode& mode) override;

private:
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<kde::Devices> m_devices;
};

} // namespace lumora
