#pragma once

#include "platform/DesktopModes.h"
#include "platform/WaylandConnection.h"

#include <memory>

namespace lumora {

namespace wlr {
struct Heads;
}

// The display settings of wlroots compositors (sway, Wayfire, labwc, river, Hyprland), through
// zwlr_output_manager_v1 over a connection of our own. A configuration names every head, as the
// protocol wants: the enabled ones as they are, the one monitor with its new mode, the disabled
// ones disabled.
class WlrOutputManagement : public DesktopModes {
public:
    // Binds the manager of `connection` and waits for its heads until `deadline`; what comes
    // later is taken as it comes.
    WlrOutputManagement(std::unique_ptr<WaylandConnection> connection,
                        WaylandConnection::Deadline deadline);
    ~WlrOutputManagement() override;

    std::optional<DisplayMode> currentMode(const QString& connector) const override;
    QList<DisplayMode> allModes(const QString& connector) const override;
    Result<void, QString> setMode(const QString& connector, const DisplayMode& mode) override;

private:
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<wlr::Heads> m_heads;
};

} // namespace lumora
