// lumora-ddc: reads and sets a monitor's luminance over DDC/CI, answering the luminance tool's
// four command lines.

#include "ddc/CachedDirectory.h"
#include "ddc/LinuxI2cBus.h"
#include "ddc/PluginDetector.h"
#include "lumora-ddc/LuminanceCommand.h"

#include <iostream>

int main(int argc, char* argv[]) {
    using namespace lumora::ddc;
    const DisplayCache cache(DisplayCache::defaultFile());
    LinuxI2cBusOpener buses;
    PluginDetector detector(PluginDetector::besideExecutable(), "/dev");
    CachedDirectory directory(cache, buses, detector);
    const Outcome outcome = runLuminance({argv + 1, argv + argc}, directory);
    std::cout << outcome.out << std::flush;
    std::cerr << outcome.err << std::flush;
    return outcome.status;
}
