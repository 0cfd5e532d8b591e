// lumora-ddc: reads and sets a monitor's luminance over DDC/CI, answering the luminance tool's
// four command lines.

#include "ddc/SystemTool.h"
#include "lumora-ddc/LuminanceCommand.h"

int main(int argc, char* argv[]) {
    return lumora::ddc::runOnThisSystem(argc, argv, lumora::ddc::runLuminance);
}
