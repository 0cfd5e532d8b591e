#pragma once

#include "platform/Screen.h"

#include <QList>
#include <optional>

namespace lumora {

// The mode a display is briefly switched to so that a monitor sees a new video signal: the first
// of `modes` with the current size and any other refresh rate.
std::optional<DisplayMode> wakeMode(const DisplayMode& current, const QList<DisplayMode>& modes);

} // namespace lumora
