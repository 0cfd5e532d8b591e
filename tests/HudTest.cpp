#include "fakes/FakeDisplays.h"
#include "hud/BrightnessHUD.h"
#include "hud/HUDGeometry.h"
#include "hud/LevelBar.h"
#include "support/Eventually.h"
#include "support/Printers.h"
#include "support/ThreeScreens.h"
#include "support/TopLevelWindows.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace lumora;
using namespace std::chrono_literals;
using namespace lumora::test;

namespace {

TEST(HUDGeometryTest, LevelIsAClampedFraction) {
    EXPECT_EQ(hud::levelFraction(37), 0.37);
    EXPECT_EQ(hud::levelFraction(150), 1.0);
    EXPECT_EQ(hud::levelFraction(-5), 0.0);
}

TEST(HUDGeometryTest, DotsFallOnEveryDivisionButTheEnds) {
    const QList<double> dots = hud::tickCentres(230, 16);
    ASSERT_EQ(dots.size(), 15);
    EXPECT_EQ(dots.first(), 230.0 / 16);
    EXPECT_EQ(dots[7], 115.0) << "the eighth dot is the middle";
    EXPECT_EQ(dots.last(), 230.0 * 15 / 16);
    EXPECT_EQ(hud::tickCentres(230, 1), QList<double>());
}

TEST(HUDGeometryTest, FillIsNeverThinnerThanADot) {
    EXPECT_EQ(hud::fillWidth(0.0, 230), 0.0);
    EXPECT_EQ(hud::fillWidth(0.01, 230), 6.0);
    EXPECT_EQ(hud::fillWidth(0.5, 230), 115.0);
    EXPECT_EQ(hud::fillWidth(1.0, 230), 230.0);
}

TEST(LevelBarTest, AnimatesTowardsANewLevel) {
    LevelBar bar;
    bar.setLevel(0.2);
    ASSERT_EVENTUALLY_EQ(bar.shownLevel(), 0.2);
    bar.setLevel(0.6);
    EXPECT_EQ(bar.level(), 0.6);
    EXPECT_LT(bar.shownLevel(), 0.6) << "no jump";
    ASSERT_EVENTUALLY_EQ(bar.shownLevel(), 0.6);
}

// The three screens, the second external one with a panel along its top, and a screen without a
// display number.
class BrightnessHUDTest : public ::testing::Test {
protected:
    void SetUp() override {
        setUpThreeScreens(displays);
        Screen panelled = monitorScreen;
        panelled.availableGeometry.setTop(25);
        const QRect unnumbered(6400, 0, 800, 600);
        displays.setScreens({builtinScreen,
                             wideScreen,
                             panelled,
                             {.number = std::nullopt,
                              .name = "Unnumbered",
                              .geometry = unnumbered,
                              .availableGeometry = unnumbered,
                              .serial = {}}});
    }

    // Waits until an overlay of its own, shown now with `timing`, has faded out. It runs on the
    // same timers as the overlay under test, so a fade of that timing started earlier is over too.
    static void waitOutAFade(HUDTiming timing) {
        FakeDisplays elsewhere;
        elsewhere.setScreens({wideScreen});
        BrightnessHUD witness(elsewhere, timing);
        const QList<QWidget*> before = windowsNamed("hud");
        witness.show(1);
        QList<QWidget*> panels = windowsNamed("hud");
        panels.removeIf([&](QWidget* panel) { return before.contains(panel); });
        ASSERT_EQ(panels.size(), 1);
        ASSERT_EVENTUALLY(!panels[0]->isVisible());
    }

    FakeDisplays displays;
};

TEST_F(BrightnessHUDTest, ShowsOnExternalScreensAndReusesThePanels) {
    BrightnessHUD hud(displays, {.hideDelay = 10s, .fadeDuration = 50ms});
    hud.show(37);
    const QList<QWidget*> panels = visibleWindows("hud");
    EXPECT_EQ(frames(panels), QList<QRect>({QRect(QPoint(4150, 10), QSize(320, 76)),
                                            QRect(QPoint(6070, 35), QSize(320, 76))}))
        << "10 in from the top-right corner of each external screen's available area, and none "
           "on the built-in or the unnumbered screen";
    ASSERT_EQ(panels.size(), 2);
    QWidget* panel = panels.first();
    EXPECT_EQ(panel->findChild<QLabel*>("title")->text(), "Mi 27 NU");
    EXPECT_EQ(panel->findChild<LevelBar*>()->level(), 0.37);
    EXPECT_TRUE(panel->windowFlags().testFlags(Qt::WindowTransparentForInput |
                                               Qt::WindowDoesNotAcceptFocus));

    hud.show(150);
    EXPECT_EQ(windowsNamed("hud"), panels) << "the same panels again";
    EXPECT_EQ(panel->findChild<LevelBar*>()->level(), 1.0);

    displays.setScreens({builtinScreen});
    hud.show(20);
    EXPECT_EQ(windowsNamed("hud"), QList<QWidget*>()) << "the panels of screens gone are dropped";
}

TEST_F(BrightnessHUDTest, FadesOutAfterTheLastShowing) {
    BrightnessHUD hud(displays, {.hideDelay = 100ms, .fadeDuration = 60ms});
    hud.show(50);
    QWidget* panel = visibleWindows("hud").value(0);
    ASSERT_NE(panel, nullptr);
    ASSERT_EVENTUALLY(!panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 0.0);

    hud.show(60);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
    EXPECT_EQ(windowsNamed("hud").size(), 2);
}

TEST_F(BrightnessHUDTest, ShowingDuringTheFadeKeepsThePanel) {
    BrightnessHUD hud(displays, {.hideDelay = 1000ms, .fadeDuration = 200ms});
    hud.show(50);
    QWidget* panel = visibleWindows("hud").value(0);
    ASSERT_NE(panel, nullptr);
    ASSERT_EVENTUALLY(panel->windowOpacity() < 1.0);

    hud.show(55);
    // Past the end of the interrupted fade, well before the next one.
    waitOutAFade({.hideDelay = 0ms, .fadeDuration = 200ms});
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
}

TEST_F(BrightnessHUDTest, HideImmediatelyCancelsTheFade) {
    const HUDTiming timing{.hideDelay = 50ms, .fadeDuration = 50ms};
    BrightnessHUD hud(displays, timing);
    hud.show(50);
    QWidget* panel = visibleWindows("hud").value(0);
    ASSERT_NE(panel, nullptr);
    hud.hideImmediately();
    EXPECT_FALSE(panel->isVisible());
    waitOutAFade(timing); // past the time the fade would have run
    EXPECT_EQ(panel->windowOpacity(), 1.0) << "no fade ran";
}

} // namespace
