#pragma once

#include "control/ControlError.h"

#include <QString>
#include <variant>

namespace lumora {

// An error the platform reported in its own words, such as a tool that could not be started.
struct PlatformError {
    QString description;

    bool operator==(const PlatformError&) const = default;
};

// Why an operation failed: the controller's own error or the platform's.
using Failure = std::variant<ControlError, PlatformError>;

// The text a failure shows in the status line.
QString describe(const Failure& failure);

} // namespace lumora
