#include "support/ThreeScreens.h"

#include "fakes/FakeDisplays.h"

namespace lumora::test {

void setUpThreeScreens(FakeDisplays& displays) {
    displays.builtin = {1};
    displays.main = 1;
    displays.setScreens({builtinScreen, wideScreen, monitorScreen});
}

} // namespace lumora::test
