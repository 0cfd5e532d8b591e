#pragma once

#include "platform/DesktopModes.h"

#include <memory>

namespace lumora {

// The display settings of the Wayland compositor WAYLAND_DISPLAY names, by the protocol it offers:
// KWin's output management, or that of the wlroots compositors. Null where there is no Wayland
// compositor, or it offers neither.
std::unique_ptr<DesktopModes> waylandDesktopModes();

} // namespace lumora
