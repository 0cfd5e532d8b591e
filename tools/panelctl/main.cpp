// panelctl: sets one VCP feature of the monitor with a given EDID serial text over DDC/CI.

#include "BuildConfig.h"
#include "ddc/SystemTool.h"
#include "panelctl/PanelctlCommand.h"

int main(int argc, char* argv[]) {
    return lumora::ddc::runOnThisSystem(argc, argv, lumora::ddc::runPanelctl,
                                        lumora::build::displaySerials);
}
