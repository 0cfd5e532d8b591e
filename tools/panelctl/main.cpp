// panelctl: sets one VCP feature of the monitor with a given EDID serial text over DDC/CI.

#include "ddc/CachedDirectory.h"
#include "ddc/LinuxI2cBus.h"
#include "ddc/PluginDetector.h"
#include "panelctl/PanelctlCommand.h"

#include <iostream>

int main(int argc, char* argv[]) {
    using namespace lumora::ddc;
    const DisplayCache cache(DisplayCache::defaultFile());
    LinuxI2cBusOpener buses;
    PluginDetector detector(PluginDetector::besideExecutable(), "/dev");
    CachedDirectory directory(cache, buses, detector);
    const Outcome outcome = runPanelctl({argv + 1, argv + argc}, directory);
    std::cout << outcome.out << std::flush;
    std::cerr << outcome.err << std::flush;
    return outcome.status;
}
