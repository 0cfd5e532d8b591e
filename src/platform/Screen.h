#pragma once

#include <QRect>
#include <QString>
#include <optional>

namespace lumora {

// One connected screen, in Qt's global coordinates.
struct Screen {
    std::optional<quint32> number; // the display number the other display calls take
    QString name;                  // the user-visible name
    QRect geometry;                // the whole screen
    QRect availableGeometry;       // without panels and docks
    QString serial;                // the monitor's EDID serial text, where the system knows it

    bool operator==(const Screen&) const = default;
};

// A video mode of a display.
struct DisplayMode {
    quint64 id = 0; // the platform's own handle of the mode
    int width = 0;  // pixels
    int height = 0;
    double refreshRate = 0; // hertz

    bool operator==(const DisplayMode&) const = default;
};

} // namespace lumora
