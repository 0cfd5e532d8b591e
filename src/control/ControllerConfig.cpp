#include "control/ControllerConfig.h"

#include "BuildConfig.h"
#include "control/CurveStore.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <string_view>

namespace lumora {

namespace {

// The machine's maker as its firmware names it; empty where the firmware says nothing.
QString systemMaker() {
    const Result<std::optional<QByteArray>, FileProblem> vendor =
        readRegularFile(QStringLiteral("/sys/class/dmi/id/sys_vendor"), 256);
    if (!vendor.ok() || !vendor.value())
        return {};
    return QString::fromUtf8(*vendor.value()).trimmed();
}

} // namespace

ControllerConfig ControllerConfig::standard() {
    using namespace std::chrono_literals;
    const QString folder = QCoreApplication::applicationDirPath();
    // The placeholder serials name no monitor: out of the box, Lumora drives the monitors it finds.
    const bool configured =
        std::string_view(build::displaySerials) != std::string_view(build::placeholderSerials);
    const bool ownTool = std::string_view(build::luminanceTool) == "lumora-ddc";
    return {
        .executable = QDir(folder).filePath(QString::fromUtf8(build::luminanceTool)),
        .displaySerialNumbers =
            configured ? QString::fromUtf8(build::displaySerials).split(u';', Qt::SkipEmptyParts)
                       : QStringList(),
        // Only our own tool numbers the monitors it finds; another tool drives the configured ones.
        .detectionTool = configured || !ownTool
                             ? QString()
                             : QDir(folder).filePath(QStringLiteral("lumora-ddc")),
        .setsWithoutReadBack = ownTool,
        .signalWakeDisplayNames = {QStringLiteral("Mi Monitor")},
        .toolTimeLimit = 10s,
        .applicationFolder = folder,
        .brightnessLibrary = QDir(folder).filePath(QString::fromUtf8(build::brightnessLibrary)),
        .overlayTiming = {},
        .wording = configured ? Wording() : Wording::outOfTheBox(systemMaker()),
        .curvesFolder = CurveStore::defaultFolder(),
    };
}

} // namespace lumora
