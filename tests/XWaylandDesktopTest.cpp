#include "control/BrightnessController.h"
#include "control/WakeMode.h"
#include "hud/HUDGeometry.h"
#include "platform/Edid.h"
#include "platform/MutterDisplayConfig.h"
#include "platform/WaylandOutputs.h"
#include "platform/X11Displays.h"
#include "support/EdidBytes.h"
#include "support/Eventually.h"
#include "support/FakeTools.h"
#include "support/TopLevelWindows.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
// Xlib's macros clash with names above: it comes last.
#include <X11/Xlib.h>

using namespace lumora;
using namespace lumora::test;

// Desktops through XWayland, end to end: runs under tests/wayland/with-mutter, with-sway or
// with-kwin, whose desktops are described there.
namespace {

const QRect meta0Frame(2560, 0, 1920, 1080);
const QRect meta1Frame(0, 0, 2560, 1440);

// A DRM class folder in which Meta-0 is a connector with a "Mi Monitor" on it.
class DrmFolder {
public:
    DrmFolder() {
        QDir(m_folder.path()).mkpath(QStringLiteral("card0-Meta-0"));
        write(QStringLiteral("card0-Meta-0/status"), "connected\n");
        write(QStringLiteral("card0-Meta-0/edid"), edidNamed("Mi Monitor"));
    }
    QString path() const { return m_folder.path(); }

private:
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(QDir(m_folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_folder;
};

// Where the X server really shows a window, whatever frame the window manager put around it.
QRect onScreen(QWidget* window) {
    Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    Window root = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, Window(window->winId()), &root, &x, &y, &width, &height, &border, &depth);
    XTranslateCoordinates(display, Window(window->winId()), root, 0, 0, &x, &y, &child);
    return QRect(x, y, int(width), int(height));
}

QList<QRect> onScreen(const QList<QWidget*>& windows) {
    QList<QRect> frames;
    for (QWidget* window : windows)
        frames << onScreen(window);
    return frames;
}

// Skips unless tests/wayland/with-mutter gave the program the `desktop` it is written for.
class XWaylandDesktopTest : public ::testing::Test {
protected:
    explicit XWaylandDesktopTest(const char* desktop) : m_desktop(desktop) {}

    void SetUp() override {
        if (!qEnvironmentVariableIsEmpty("LUMORA_TEST_NO_DESKTOP"))
            GTEST_SKIP() << qPrintable(qEnvironmentVariable("LUMORA_TEST_NO_DESKTOP"));
        if (qEnvironmentVariable("LUMORA_TEST_DESKTOP") != QLatin1String(m_desktop) ||
            QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs the " << m_desktop << " desktop of tests/wayland/with-mutter";
        ASSERT_TRUE(MutterDisplayConfig::isOffered(QDBusConnection::sessionBus()));
    }

    static quint32 numberOf(const QString& connector) {
        return X11Displays::numberForName(connector);
    }

    MutterDisplayConfig mutter{QDBusConnection::sessionBus()};

private:
    const char* m_desktop;
};

// Two virtual monitors, where placement and names can be checked.
class HeadlessGnomeTest : public XWaylandDesktopTest {
protected:
    HeadlessGnomeTest() : XWaylandDesktopTest("headless") {}

    DrmFolder drm;
    X11Displays displays{&mutter, drm.path()};
};

// Two panels with two refresh rates each, where modes can really be switched.
class NestedGnomeTest : public XWaylandDesktopTest {
protected:
    NestedGnomeTest() : XWaylandDesktopTest("nested") {}

    X11Displays displays{&mutter};
};

TEST_F(HeadlessGnomeTest, ScreensGetTheirConnectorsAndMonitorNamesBack) {
    const QList<lumora::Screen> screens = displays.screens();
    ASSERT_EQ(screens.size(), 2);
    QMap<QString, lumora::Screen> byName;
    for (const lumora::Screen& screen : screens)
        byName.insert(screen.name, screen);
    ASSERT_EQ(byName.keys(), QStringList({"Meta-1", "Mi Monitor"})) << "not XWAYLAND0, XWAYLAND1";
    EXPECT_EQ(byName["Mi Monitor"].number, numberOf("Meta-0")) << "from the connector: survives "
                                                                  "re-plugging";
    EXPECT_EQ(byName["Mi Monitor"].geometry, meta0Frame);
    EXPECT_EQ(byName["Meta-1"].number, numberOf("Meta-1"));
    EXPECT_EQ(byName["Meta-1"].geometry, meta1Frame);
    EXPECT_EQ(displays.mainDisplay(), numberOf("Meta-1"));
    EXPECT_EQ(displays.externalScreens().size(), 2) << "virtual monitors are no panels";
}

TEST_F(HeadlessGnomeTest, OneModeOnlyLeavesNothingToWakeWith) {
    const quint32 monitor = numberOf("Meta-0");
    const std::optional<DisplayMode> current = displays.currentMode(monitor);
    ASSERT_TRUE(current.has_value()) << "mutter's mode, not XWayland's emulated one";
    EXPECT_EQ(current, mutter.currentMode("Meta-0"));
    const QList<DisplayMode> modes = displays.allModes(monitor);
    EXPECT_EQ(modes, QList<DisplayMode>({*current})) << "a virtual monitor has one mode";
    EXPECT_EQ(wakeMode(*current, modes), std::nullopt);
}

TEST_F(NestedGnomeTest, PanelsAreBuiltInAndModesSwitchThroughDisplayConfigAndBack) {
    const quint32 panel = numberOf("LVDS2");
    ASSERT_EQ(displays.screens().size(), 2);
    EXPECT_TRUE(displays.isBuiltin(numberOf("LVDS1")));
    EXPECT_TRUE(displays.isBuiltin(panel));
    EXPECT_EQ(displays.externalScreens(), QList<lumora::Screen>());

    const std::optional<DisplayMode> current = displays.currentMode(panel);
    ASSERT_TRUE(current.has_value());
    EXPECT_NEAR(current->refreshRate, 60, 0.01);
    const std::optional<DisplayMode> other = wakeMode(*current, displays.allModes(panel));
    ASSERT_TRUE(other.has_value());
    EXPECT_NEAR(other->refreshRate, 50, 0.01);

    const Result<void, QString> switched = displays.setMode(panel, *other);
    ASSERT_TRUE(switched.ok()) << qPrintable(switched.ok() ? QString() : switched.failure());
    EXPECT_EQ(displays.currentMode(panel), other);
    EXPECT_EQ(mutter.currentMode("LVDS1"), current) << "the other panel keeps its mode";
    ASSERT_TRUE(displays.setMode(panel, *current).ok());
    EXPECT_EQ(displays.currentMode(panel), current);

    DisplayMode unknown = *current;
    unknown.id += 1;
    EXPECT_FALSE(displays.setMode(panel, unknown).ok());
}

// The outputs each desktop of tests/wayland makes, left to right; none is a panel.
const QMap<QString, QList<QRect>> outputLayouts{
    {"headless", {meta1Frame, meta0Frame}},
    {"sway", {{0, 0, 2560, 1440}, {2560, 0, 1920, 1080}}},
    {"kwin", {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}},
};

// X's top-level windows, bottom to top.
QList<Window> stackingOrder() {
    Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    const QList<Window> order(children, children + count);
    XFree(children);
    return order;
}

// The top-level window (the window manager's frame, if it made one) that holds `window`.
Window topLevel(Window window) {
    Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &children, &count);
        XFree(children);
        if (parent == root || parent == 0)
            return window;
        window = parent;
    }
}

bool isAbove(QWidget* upper, QWidget* lower) {
    const QList<Window> order = stackingOrder();
    return order.indexOf(topLevel(Window(upper->winId()))) >
           order.indexOf(topLevel(Window(lower->winId())));
}

// Any desktop of tests/wayland through XWayland: skips unless one of outputLayouts runs it.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsEmpty("LUMORA_TEST_NO_DESKTOP"))
            GTEST_SKIP() << qPrintable(qEnvironmentVariable("LUMORA_TEST_NO_DESKTOP"));
        if (!outputLayouts.contains(qEnvironmentVariable("LUMORA_TEST_DESKTOP")) ||
            QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs a desktop of tests/wayland with XWayland";
    }

    const QList<QRect> outputs = outputLayouts.value(qEnvironmentVariable("LUMORA_TEST_DESKTOP"));
};

TEST_F(DesktopTest, OverlaysAndCoversLandOnTheirOutputsAndTheWindowKeepsTheFocus) {
    X11Displays displays;
    FakeTools tools;
    const FakeBrightness& brightness = tools.brightness;
    BrightnessController controller(tools.config(), displays, tools.loginItem);
    // A full-screen window with the focus, on the left output, as a game or a film would be.
    QWidget window;
    window.setGeometry(outputs[0]);
    window.showFullScreen();
    ASSERT_EVENTUALLY(window.isActiveWindow());

    brightness.level(40);
    controller.toggleAutoSync();
    brightness.level(60);
    const auto corner = [](const QRect& screen) {
        return QRect(hud::overlayOrigin(screen), hud::overlaySize);
    };
    const QList<QRect> overlays{corner(outputs[0]), corner(outputs[1])};
    ASSERT_EVENTUALLY_EQ(onScreen(visibleWindows("hud")), overlays);
    EXPECT_EQ(overlays[1].topRight(), outputs[1].topRight() + QPoint(-10, 10))
        << "10 px in from the top-right corner";
    EXPECT_TRUE(isAbove(visibleWindows("hud")[0], &window));

    brightness.level(0);
    ASSERT_EVENTUALLY_EQ(onScreen(visibleWindows("blackout")), outputs);
    EXPECT_TRUE(isAbove(visibleWindows("blackout")[0], &window)) << "over the full-screen window";
    EXPECT_TRUE(window.isActiveWindow()) << "the window keeps the focus";
    EXPECT_EQ(QGuiApplication::focusWindow(), window.windowHandle());
}

} // namespace
