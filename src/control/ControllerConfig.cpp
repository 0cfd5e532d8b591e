#include "control/ControllerConfig.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>

namespace lumora {

ControllerConfig ControllerConfig::standard() {
    using namespace std::chrono_literals;
    const QString folder = QCoreApplication::applicationDirPath();
    return {
        .executable = QDir(folder).filePath(QString::fromUtf8(build::luminanceTool)),
        .displaySerialNumbers =
            QString::fromUtf8(build::displaySerials).split(u';', Qt::SkipEmptyParts),
        .signalWakeDisplayNames = {QStringLiteral("Mi Monitor")},
        .toolTimeLimit = 10s,
        .applicationFolder = folder,
        .brightnessLibrary = QDir(folder).filePath(QString::fromUtf8(build::brightnessLibrary)),
        .overlayTiming = {},
    };
}

} // namespace lumora
