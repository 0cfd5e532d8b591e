#include "control/Failure.h"

namespace lumora {

QString describe(const Failure& failure) {
    if (const auto* error = std::get_if<ControlError>(&failure))
        return error->errorDescription();
    return std::get<PlatformError>(failure).description;
}

} // namespace lumora
