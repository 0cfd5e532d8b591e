#pragma once

#include "base/Result.h"
#include "control/Failure.h"

#include <QString>
#include <optional>

namespace lumora {

// Reads the built-in display's brightness as a whole percentage through the brightness library:
// loaded, asked and unloaded again on every call, so nothing stale is ever kept.
Result<qint64, Failure> readMainDisplayBrightness(const QString& library, quint32 display);

// A raw brightness fraction as a level from 0 to 100; nothing when it is not a finite number.
std::optional<qint64> brightnessLevel(float raw);

} // namespace lumora
