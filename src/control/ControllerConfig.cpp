#include "control/ControllerConfig.h"

#include "BuildConfig.h"

namespace lumora {

ControllerConfig ControllerConfig::standard() {
    using namespace std::chrono_literals;
    return {
        .executable = QString::fromUtf8(build::m1ddcPath),
        .displaySerialNumbers =
            QString::fromUtf8(build::displaySerials).split(u';', Qt::SkipEmptyParts),
        .signalWakeDisplayNames = {QStringLiteral("Mi Monitor")},
        .toolTimeLimit = 10s,
    };
}

} // namespace lumora
