#pragma once

#include "base/Result.h"

#include <QList>
#include <QRect>
#include <QString>
#include <optional>

namespace lumora::wayland {

// One output as the Wayland compositor itself describes it.
struct Output {
    QString name;   // the connector, e.g. "eDP-1" ("" when the compositor names none)
    QRect logical;  // position and size in the compositor's layout (xdg-output where offered)
    QRect physical; // position and the current mode's size in pixels

    bool operator==(const Output&) const = default;
};

// A rectangle the compositor sent, bounded to what a desktop can be (sizes from 0, places and
// sizes within ±2^24 pixels), so that no arithmetic on it overflows.
QRect boundedFrame(int x, int y, int width, int height);

// The compositor's outputs, read over a short connection of our own to the compositor named by
// WAYLAND_DISPLAY; on failure, why they could not be read.
Result<QList<Output>, QString> compositorOutputs();

// The connector of the output at `frame` (an XWayland output's place in X coordinates): the one
// named output whose logical or physical rectangle is exactly `frame`. Where several are (mirrored
// outputs), a panel connector wins, so that the computer's own panel is never taken for external.
std::optional<QString> connectorAt(const QRect& frame, const QList<Output>& outputs);

} // namespace lumora::wayland
