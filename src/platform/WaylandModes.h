#pragma once

#include "platform/Screen.h"

#include <memory>
#include <vector>

namespace lumora {

// What the display settings over Wayland protocols share.

// The listener of an event that is of no use here.
template <typename... Args> void ignoreEvent(void*, Args...) {}

// The compositor's mode object for `wanted` among `modes` (each with its DisplayMode as `mode`):
// the one `wanted` came from, or else the first of the same size and rate, since a compositor
// may announce its modes anew.
template <typename Mode>
const Mode* modeFor(const std::vector<std::unique_ptr<Mode>>& modes, const DisplayMode& wanted) {
    const Mode* same = nullptr;
    for (const std::unique_ptr<Mode>& mode : modes) {
        if (mode->mode.width != wanted.width || mode->mode.height != wanted.height ||
            mode->mode.refreshRate != wanted.refreshRate)
            continue;
        if (mode->mode.id == wanted.id)
            return mode.get();
        if (!same)
            same = mode.get();
    }
    return same;
}

} // namespace lumora
