#include "fakes/FakeDisplays.h"
#include "hud/BrightnessHUD.h"
#include "hud/HUDGeometry.h"
#include "hud/LevelBar.h"
#include "support/Printers.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace lumora;
using namespace std::chrono_literals;
using lumora::test::FakeDisplays;

namespace {

TEST(HUDGeometryTest, CardSitsTenInFromTheTopRightOfTheAvailableArea) {
    // A 1920 × 1080 screen whose top 25 are taken by a panel.
    EXPECT_EQ(hud::overlayOrigin(QRect(0, 25, 1920, 1030)), QPoint(1590, 35));
    EXPECT_EQ(hud::overlayOrigin(QRect(1920, 0, 2560, 1400)), QPoint(4150, 10));
}

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
    QTRY_COMPARE(bar.shownLevel(), 0.2);
    bar.setLevel(0.6);
    EXPECT_EQ(bar.level(), 0.6);
    EXPECT_LT(bar.shownLevel(), 0.6) << "no jump";
    QTRY_COMPARE(bar.shownLevel(), 0.6);
}

class BrightnessHUDTest : public ::testing::Test {
protected:
    void SetUp() override {
        displays.builtin = {1};
        displays.setScreens({
            {.number = 1,
             .name = "Built-in",
             .geometry = {0, 0, 1920, 1080},
             .availableGeometry = {0, 25, 1920, 1055}},
            {.number = 2,
             .name = "Mi 27 NU",
             .geometry = {1920, 0, 2560, 1440},
             .availableGeometry = {1920, 0, 2560, 1440}},
            {.number = std::nullopt,
             .name = "Unnumbered",
             .geometry = {4480, 0, 800, 600},
             .availableGeometry = {4480, 0, 800, 600}},
        });
    }

    static QList<QWidget*> panels() {
        QList<QWidget*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "hud")
                found << widget;
        }
        return found;
    }

    static QList<QWidget*> visiblePanels() {
        QList<QWidget*> found = panels();
        found.removeIf([](QWidget* panel) { return !panel->isVisible(); });
        return found;
    }

    FakeDisplays displays;
};

TEST_F(BrightnessHUDTest, ShowsOnExternalScreensAndReusesThePanels) {
    BrightnessHUD hud(displays, {.hideDelay = 10s, .fadeDuration = 50ms});
    hud.show(37);
    ASSERT_EQ(visiblePanels().size(), 1);
    QWidget* panel = visiblePanels().first();
    EXPECT_EQ(panel->geometry(), QRect(QPoint(4150, 10), QSize(320, 76)));
    EXPECT_EQ(panel->findChild<QLabel*>("title")->text(), "Mi 27 NU");
    EXPECT_EQ(panel->findChild<LevelBar*>()->level(), 0.37);
    EXPECT_TRUE(panel->windowFlags().testFlags(Qt::WindowTransparentForInput |
                                               Qt::WindowDoesNotAcceptFocus));

    hud.show(150);
    EXPECT_EQ(panels(), QList<QWidget*>({panel})) << "the same panel again";
    EXPECT_EQ(panel->findChild<LevelBar*>()->level(), 1.0);

    displays.setScreens({{.number = 1,
                          .name = "Built-in",
                          .geometry = {0, 0, 1920, 1080},
                          .availableGeometry = {0, 0, 1920, 1080}}});
    hud.show(20);
    EXPECT_EQ(panels(), QList<QWidget*>()) << "the panel of a screen gone is dropped";
}

TEST_F(BrightnessHUDTest, FadesOutAfterTheLastShowing) {
    BrightnessHUD hud(displays, {.hideDelay = 100ms, .fadeDuration = 60ms});
    hud.show(50);
    QWidget* panel = visiblePanels().value(0);
    ASSERT_NE(panel, nullptr);
    QTRY_VERIFY(!panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 0.0);

    hud.show(60);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
    EXPECT_EQ(panels().size(), 1);
}

TEST_F(BrightnessHUDTest, ShowingDuringTheFadeKeepsThePanel) {
    BrightnessHUD hud(displays, {.hideDelay = 1000ms, .fadeDuration = 200ms});
    hud.show(50);
    QWidget* panel = visiblePanels().value(0);
    ASSERT_NE(panel, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(panel->windowOpacity() < 1.0, 3000);

    hud.show(55);
    // Past the end of the interrupted fade, well before the next one.
    QTest::qWait(400);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
}

TEST_F(BrightnessHUDTest, HideImmediatelyCancelsTheFade) {
    BrightnessHUD hud(displays, {.hideDelay = 50ms, .fadeDuration = 50ms});
    hud.show(50);
    QWidget* panel = visiblePanels().value(0);
    ASSERT_NE(panel, nullptr);
    hud.hideImmediately();
    EXPECT_FALSE(panel->isVisible());
    QTest::qWait(300); // past the time the fade would have run
    EXPECT_EQ(panel->windowOpacity(), 1.0) << "no fade ran";
}

} // namespace
