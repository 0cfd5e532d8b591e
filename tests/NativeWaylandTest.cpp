#include "control/BrightnessController.h"
#include "platform/X11Displays.h"
#include "support/Eventually.h"
#include "support/FakeTools.h"
#include "support/TopLevelWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

using namespace lumora;
using namespace lumora::test;

// Lumora as a native Wayland client, where it cannot place windows: runs under
// tests/wayland/with-weston, one headless output and no X server.
namespace {

TEST(NativeWaylandTest, FollowsWithoutOverlaysAndCoversTheOutputFullScreen) {
    if (!qEnvironmentVariableIsEmpty("LUMORA_TEST_NO_DESKTOP"))
        GTEST_SKIP() << qPrintable(qEnvironmentVariable("LUMORA_TEST_NO_DESKTOP"));
    if (!QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        GTEST_SKIP() << "needs the Wayland desktop of tests/wayland/with-weston";

    X11Displays displays;
    EXPECT_FALSE(displays.canPlaceWindows());
    const QList<lumora::Screen> screens = displays.externalScreens();
    ASSERT_EQ(screens.size(), 1);
    EXPECT_EQ(screens[0].name, QGuiApplication::primaryScreen()->name()) << "the output's name";
    EXPECT_EQ(screens[0].geometry, QRect(0, 0, 1024, 640));

    FakeTools tools;
    const ScriptedTool& m1ddc = tools.m1ddc;
    const FakeBrightness& brightness = tools.brightness;
    BrightnessController controller(tools.config(), displays, tools.loginItem);

    brightness.level(40);
    controller.toggleAutoSync();
    brightness.level(60);
    ASSERT_EVENTUALLY(m1ddc.log().contains("display 3 set luminance 60"));
    EXPECT_EQ(visibleWindows("hud"), QList<QWidget*>()) << "no overlay where it cannot be placed";

    static QStringList warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg)
                warnings << text;
        });
    brightness.level(0);
    ASSERT_EVENTUALLY_EQ(visibleWindows("blackout").size(), 1);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList()) << "a cover asks for no focus it refuses";
    QWidget* cover = visibleWindows("blackout")[0];
    EXPECT_TRUE(cover->isFullScreen());
    EXPECT_EQ(cover->windowHandle()->screen(), QGuiApplication::primaryScreen());
    ASSERT_EVENTUALLY_EQ(cover->geometry(), QRect(0, 0, 1024, 640));
}

} // namespace
