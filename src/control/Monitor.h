#pragma once

#include <QString>
#include <optional>

namespace lumora {

// One external monitor as the window shows it.
struct Monitor {
    qint64 id = 0;
    qint64 displayIndex = 0; // the number the luminance tool addresses it by
    QString name;
    std::optional<qint64> brightness;
    std::optional<qint64> maximum;
    bool isConnected = true; // false: no monitor holds this place now

    bool operator==(const Monitor&) const = default;
};

} // namespace lumora
