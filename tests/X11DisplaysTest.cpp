#include "platform/X11Displays.h"
#include "control/WakeMode.h"
#include "platform/Edid.h"
#include "platform/LinuxBuiltinPanel.h"
#include "platform/SystemSleep.h"
#include "support/EdidBytes.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>
// Xlib's macros (None, Status, Bool) clash with names above: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

using namespace lumora;
using lumora::test::edidNamed;

// Runs under tests/x11/with-xvfb: a real X server with one RandR output, "screen".
namespace {

void setEdid(Display* display, RROutput output, const QByteArray& edid) {
    const Atom atom = XInternAtom(display, "EDID", False);
    XRRChangeOutputProperty(display, output, atom, XA_INTEGER, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(edid.constData()),
                            int(edid.size()));
    XSync(display, False);
}

Display* xDisplay() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

class X11DisplaysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs the X server of tests/x11/with-xvfb";
    }

    lumora::Screen only() const {
        const QList<lumora::Screen> screens = displays.screens();
        EXPECT_EQ(screens.size(), 1);
        return screens.value(0);
    }

    X11Displays displays;
};

TEST_F(X11DisplaysTest, ScreenWithAnOutputIsNamedFromItsEdid) {
    const lumora::Screen screen = only();
    ASSERT_TRUE(screen.number.has_value());
    EXPECT_NE(*screen.number, X11Displays::numberForName("screen")) << "the RandR output id";
    EXPECT_EQ(screen.geometry, QRect(0, 0, 1920, 1080));
    EXPECT_EQ(displays.mainDisplay(), *screen.number);
    EXPECT_FALSE(displays.isBuiltin(*screen.number));

    EXPECT_EQ(screen.name, "screen") << "no EDID yet: the connector's name";
    setEdid(xDisplay(), *screen.number, edidNamed("Mi Monitor"));
    EXPECT_EQ(only().name, "Mi Monitor");
}

TEST_F(X11DisplaysTest, SwitchesRefreshRatesForReal) {
    const quint32 number = *only().number;
    const std::optional<DisplayMode> current = displays.currentMode(number);
    ASSERT_TRUE(current.has_value());
    EXPECT_EQ(current->width, 1920);
    EXPECT_NEAR(current->refreshRate, 60, 0.1);

    const QList<DisplayMode> modes = displays.allModes(number);
    const auto fifty = std::find_if(modes.cbegin(), modes.cend(), [](const DisplayMode& mode) {
        return qAbs(mode.refreshRate - 50) < 0.1;
    });
    ASSERT_NE(fifty, modes.cend());
    EXPECT_EQ(wakeMode(*current, modes)->refreshRate, 0) << "Xvfb's own mode comes first";

    ASSERT_TRUE(displays.setMode(number, *fifty).ok());
    EXPECT_EQ(displays.currentMode(number), *fifty);
    ASSERT_TRUE(displays.setMode(number, *current).ok());
    EXPECT_EQ(displays.currentMode(number), current);
}

TEST_F(X11DisplaysTest, GeometryComesFromRandrWhenQtHasNotCaughtUp) {
    const quint32 number = *only().number;
    const QList<DisplayMode> modes = displays.allModes(number);
    const auto small = std::find_if(modes.cbegin(), modes.cend(),
                                    [](const DisplayMode& mode) { return mode.width == 1280; });
    ASSERT_NE(small, modes.cend());
    const DisplayMode current = *displays.currentMode(number);

    // No event is handled in between, so Qt still has the old size.
    QSignalSpy changed(&displays, &Displays::screenParametersChanged);
    ASSERT_TRUE(displays.setMode(number, *small).ok());
    EXPECT_EQ(only().geometry, QRect(0, 0, 1280, 720));
    EXPECT_EQ(only().availableGeometry, QRect(0, 0, 1280, 720));

    ASSERT_TRUE(changed.wait(5000)) << "Qt reports the change";
    ASSERT_TRUE(changed.wait(5000)) << "and it is reported once more when it has settled";
    ASSERT_TRUE(displays.setMode(number, current).ok());
    EXPECT_EQ(only().geometry, QRect(0, 0, 1920, 1080));
}

TEST_F(X11DisplaysTest, MonitorsWithoutAnOutputFallBackToTheirName) {
    QSignalSpy changed(&displays, &Displays::screenParametersChanged);
    QProcess::execute("xrandr", {"--setmonitor", "HDMI-1", "960/527x1080/296+960+0", "none"});
    ASSERT_TRUE(changed.wait(5000));

    QList<lumora::Screen> screens;
    for (const lumora::Screen& screen : displays.screens()) {
        if (screen.name == "HDMI-1")
            screens << screen;
    }
    ASSERT_EQ(screens.size(), 1);
    EXPECT_EQ(screens[0].number, X11Displays::numberForName("HDMI-1"));
    EXPECT_EQ(screens[0].geometry, QRect(960, 0, 960, 1080));
    EXPECT_FALSE(displays.isBuiltin(*screens[0].number));
    EXPECT_EQ(displays.currentMode(*screens[0].number), std::nullopt);
    EXPECT_EQ(displays.allModes(*screens[0].number), QList<DisplayMode>());

    // Re-plugged elsewhere: no event is handled in between, so Qt still has the old frame, and
    // RandR's monitor is the real one.
    QProcess::execute("xrandr", {"--delmonitor", "HDMI-1"});
    QProcess::execute("xrandr", {"--setmonitor", "HDMI-1", "800/527x600/296+1000+100", "none"});
    const QList<lumora::Screen> moved = displays.screens();
    const auto hdmi = std::find_if(moved.cbegin(), moved.cend(), [](const lumora::Screen& screen) {
        return screen.name == "HDMI-1";
    });
    ASSERT_NE(hdmi, moved.cend());
    EXPECT_EQ(hdmi->geometry, QRect(1000, 100, 800, 600));
    EXPECT_EQ(hdmi->number, X11Displays::numberForName("HDMI-1")) << "the same screen";
}

TEST_F(X11DisplaysTest, NamesWhoseNumbersCollideStillGetTheirOwn) {
    ASSERT_EQ(X11Displays::numberForName("DP-38809"), X11Displays::numberForName("HDMI-103510"));
    QSignalSpy changed(&displays, &Displays::screenParametersChanged);
    QProcess::execute("xrandr", {"--setmonitor", "DP-38809", "640/1x1080/1+0+0", "none"});
    QProcess::execute("xrandr", {"--setmonitor", "HDMI-103510", "640/1x1080/1+640+0", "none"});
    ASSERT_TRUE(changed.wait(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return displays.screens().size() >= 2; }));

    std::set<quint32> numbers;
    for (const lumora::Screen& screen : displays.screens())
        numbers.insert(*screen.number);
    EXPECT_EQ(numbers.size(), size_t(displays.screens().size()));
    QProcess::execute("xrandr", {"--delmonitor", "DP-38809"});
    QProcess::execute("xrandr", {"--delmonitor", "HDMI-103510"});
}

TEST_F(X11DisplaysTest, APanelScreenThatGoesIsADarkPanel) {
    const QTemporaryDir noConnectors;
    SystemSleep sleep(QDBusConnection(QStringLiteral("no bus")));
    LinuxBuiltinPanel panel(displays, noConnectors.path(),
                            QDBusConnection(QStringLiteral("no bus")), sleep);
    EXPECT_FALSE(panel.isKnownOff()) << "no built-in screen seen yet: nothing is known";
    const auto showsPanel = [&] {
        const QList<lumora::Screen> screens = displays.screens();
        return std::any_of(screens.cbegin(), screens.cend(),
                           [](const lumora::Screen& screen) { return screen.name == "eDP-1"; });
    };
    QProcess::execute("xrandr", {"--setmonitor", "eDP-1", "960/344x1080/194+0+0", "none"});
    ASSERT_TRUE(QTest::qWaitFor(showsPanel));
    EXPECT_FALSE(panel.isKnownOff());

    QSignalSpy changed(&panel, &BuiltinPanel::changed);
    QProcess::execute("xrandr", {"--delmonitor", "eDP-1"});
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_TRUE(panel.isKnownOff()) << "the window system no longer shows it";
}

TEST(X11NamesTest, PanelConnectorsAreBuiltIn) {
    for (const char* name : {"eDP-1", "eDP1", "LVDS-1", "DSI-1", "edp-2"})
        EXPECT_TRUE(X11Displays::isPanelConnector(name)) << name;
    for (const char* name : {"HDMI-1", "DP-1", "DisplayPort-0", "screen", "VGA-1", ""})
        EXPECT_FALSE(X11Displays::isPanelConnector(name)) << name;
    EXPECT_EQ(X11Displays::numberForName("HDMI-1"), X11Displays::numberForName("HDMI-1"));
    EXPECT_NE(X11Displays::numberForName("HDMI-1"), X11Displays::numberForName("HDMI-2"));
}

TEST(EdidTest, ReadsDescriptorTexts) {
    QByteArray edid = edidNamed("Mi Monitor");
    EXPECT_EQ(edid::descriptorText(edid, edid::productNameTag), "Mi Monitor");
    EXPECT_EQ(edid::descriptorText(edid, edid::serialTextTag), std::nullopt);
    EXPECT_EQ(edid::descriptorText(edidNamed("ABCDEFGHIJKLM"), edid::productNameTag),
              "ABCDEFGHIJKLM")
        << "13 characters leave no room for the line feed";
    EXPECT_EQ(edid::descriptorText(edid.left(100), edid::productNameTag), std::nullopt);
    EXPECT_EQ(edid::descriptorText(edidNamed("Mi\x1b[2J\x07\x85Mon"), edid::productNameTag),
              "Mi[2JMon")
        << "control characters never reach the screen";
    edid[0] = 1;
    EXPECT_EQ(edid::descriptorText(edid, edid::productNameTag), std::nullopt) << "bad header";
}

} // namespace
