#include "platform/WaylandDesktopModes.h"

#include "platform/KdeOutputManagement.h"
#include "platform/WlrOutputManagement.h"

#include "kde-output-management-v2-client-protocol.h"
#include "wlr-output-management-unstable-v1-client-protocol.h"

namespace lumora {

std::unique_ptr<DesktopModes> waylandDesktopModes() {
    // Asked once, at start: a compositor that has not listed its outputs by then is not waited for.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::open(deadline);
    if (!connection)
        return nullptr;
    if (connection->offers(kde_output_management_v2_interface))
        return std::make_unique<KdeOutputManagement>(std::move(connection), deadline);
    if (connection->offers(zwlr_output_manager_v1_interface))
        return std::make_unique<WlrOutputManagement>(std::move(connection), deadline);
    return nullptr;
}

} // namespace lumora
