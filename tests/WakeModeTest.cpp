#include "control/WakeMode.h"

#include <gtest/gtest.h>

using namespace lumora;

namespace {

TEST(WakeModeTest, PicksTheFirstModeOfTheSameSizeAtAnotherRate) {
    const DisplayMode current{.id = 1, .width = 1920, .height = 1080, .refreshRate = 60};
    const DisplayMode smaller{.id = 2, .width = 1280, .height = 720, .refreshRate = 50};
    const DisplayMode fifty{.id = 3, .width = 1920, .height = 1080, .refreshRate = 50};
    const DisplayMode almostSixty{.id = 4, .width = 1920, .height = 1080, .refreshRate = 59.94};
    const DisplayMode sameRate{.id = 5, .width = 1920, .height = 1080, .refreshRate = 60};

    EXPECT_EQ(wakeMode(current, {current, smaller, fifty, almostSixty}), fifty);
    EXPECT_EQ(wakeMode(current, {almostSixty, fifty}), almostSixty);
    EXPECT_EQ(wakeMode(current, {current, sameRate, smaller}), std::nullopt);
    EXPECT_EQ(wakeMode(current, {}), std::nullopt);
}

} // namespace
