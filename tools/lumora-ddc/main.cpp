// lumora-ddc: reads and sets a monitor's luminance over DDC/CI, answering the luminance tool's
// four command lines, and lists the monitors it finds.

#include "BuildConfig.h"
#include "ddc/SystemTool.h"
#include "lumora-ddc/LuminanceCommand.h"

int main(int argc, char* argv[]) {
    return lumora::ddc::runOnThisSystem(argc, argv, lumora::ddc::runLuminance,
                                        lumora::build::displaySerials);
}
