#pragma once

#include <QByteArray>
#include <QString>

namespace lumora::drm {

// The EDID of the monitor on `connector` (e.g. "HDMI-A-1"), read from the kernel's DRM class folder
// (/sys/class/drm), whose entries are named card<N>-<connector>. Empty when no card has that
// connector with a monitor on it, or when several cards have, since then it is unknown which.
QByteArray connectorEdid(const QString& drmFolder, const QString& connector);

} // namespace lumora::drm
