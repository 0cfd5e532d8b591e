#include "ddc/SystemTool.h"

#include "ddc/CachedDirectory.h"
#include "ddc/LinuxI2cBus.h"
#include "ddc/PluginDetector.h"

#include <iostream>

namespace lumora::ddc {

int runOnThisSystem(int argc, char* argv[], Command command) {
    const DisplayCache cache(DisplayCache::defaultFile());
    LinuxI2cBusOpener buses;
    PluginDetector detector(PluginDetector::besideExecutable(), "/dev");
    CachedDirectory directory(cache, buses, detector);
    const Outcome outcome = command({argv + 1, argv + argc}, directory);
    std::cout << outcome.out << std::flush;
    std::cerr << outcome.err << std::flush;
    return outcome.status;
}

} // namespace lumora::ddc
