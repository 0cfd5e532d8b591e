#include "control/WakeMode.h"

#include <algorithm>

namespace lumora {

std::optional<DisplayMode> wakeMode(const DisplayMode& current, const QList<DisplayMode>& modes) {
    const auto picked = std::find_if(modes.cbegin(), modes.cend(), [&](const DisplayMode& mode) {
        return mode.width == current.width && mode.height == current.height &&
               mode.refreshRate != current.refreshRate;
    });
    if (picked == modes.cend())
        return std::nullopt;
    return *picked;
}

} // namespace lumora
