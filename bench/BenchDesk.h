#pragma once

#include "fakes/FakeDisplays.h"
#include "support/FakeTools.h"
#include "support/ThreeScreens.h"

namespace lumora::test {

// The benchmarks' desk: the fake tools on the three screens.
struct BenchDesk : FakeTools {
    BenchDesk() { setUpThreeScreens(displays); }

    FakeDisplays displays;
};

} // namespace lumora::test
