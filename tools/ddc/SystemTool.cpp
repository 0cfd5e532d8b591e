#include "ddc/SystemTool.h"

#include "ddc/CachedDirectory.h"
#include "ddc/LinuxI2cBus.h"
#include "ddc/PluginDetector.h"

#include <iostream>

namespace lumora::ddc {

namespace {

std::optional<PrivateFolder> folderAt(const std::optional<std::filesystem::path>& location) {
    return location ? PrivateFolder::open(*location) : std::nullopt;
}

} // namespace

int runOnThisSystem(int argc, char* argv[], Command command, const char* displaySerials) {
    const DisplayCache cache(folderAt(PrivateFolder::cacheLocation()));
    const BusTiming timing(folderAt(PrivateFolder::runtimeLocation()));
    const Numbering numbering(displaySerials);
    LinuxI2cBusOpener buses(timing);
    PluginDetector detector(PluginDetector::besideExecutable(), "/dev", timing);
    const DrmConnectors connectors("/sys/class/drm");
    CachedDirectory directory(cache, numbering, buses, detector, connectors);
    const Outcome outcome = command({argv + 1, argv + argc}, directory);
    std::cout << outcome.out << std::flush;
    std::cerr << outcome.err << std::flush;
    return outcome.status;
}

} // namespace lumora::ddc
