#include "BuildConfig.h"
#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "platform/SystemSleep.h"
#include "support/EmulatedMonitors.h"
#include "support/Eventually.h"
#include "support/FakeBrightness.h"
#include "support/PrivateBus.h"
#include "support/ThreeScreens.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <limits>

// Lumora as installed, with the placeholder serials, on a desk it was not built for: two emulated
// monitors with serials of their own, the real DDC tools and their real detection, a fake
// built-in panel and fake screens.
namespace {

using namespace lumora;
using namespace lumora::test;

const QRect dellFrame(1920, 0, 2560, 1440);
const QRect lgFrame(4480, 0, 1920, 1080);
Screen screen(quint32 number, const QString& name, const QRect& frame) {
    return {.number = number,
            .name = name,
            .geometry = frame,
            .availableGeometry = frame,
            .serial = {}};
}
const Screen dellScreen = screen(2, "DELL U2720Q", dellFrame);
const Screen lgScreen = screen(3, "LG HDR 4K", lgFrame);

class AnyDeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        monitors.add(4, "DELL U2720Q", "CFV9N13");
        monitors.add(5, "LG HDR 4K", "205NTAB1K123");
        displays.builtin = {1};
        displays.main = 1;
        displays.setScreens({builtinScreen, dellScreen, lgScreen});
    }

    ControllerConfig config() const {
        const QString tools = QFileInfo(QStringLiteral(LUMORA_LUMINANCE_TOOL)).path();
        return {.executable = LUMORA_LUMINANCE_TOOL,
                .displaySerialNumbers = {},
                .detectionTool = LUMORA_LUMINANCE_TOOL,
                .setsWithoutReadBack = true,
                .signalWakeDisplayNames = {"Mi Monitor"},
                .toolTimeLimit = std::chrono::seconds(10),
                .applicationFolder = tools,
                .brightnessLibrary = FakeBrightness::library(),
                .overlayTiming = {},
                .wording = Wording::outOfTheBox(QString()),
                .curvesFolder = settings.path()};
    }
    // Following switched on at `start`: both monitors take it, go dark at 0 and are lit again at
    // `then`.
    void followThroughZero(BrightnessController& controller, const QString& start,
                           const QString& then) {
        controller.toggleAutoSync();
        EXPECT_EQ(controller.status(), "已同步到内置显示屏：" + start + "%");
        EXPECT_EQ(monitors.holds(4, "10"), start);
        EXPECT_EQ(monitors.holds(5, "10"), start);
        brightness.level(0);
        ASSERT_EVENTUALLY(monitors.holds(4, "d6") == "4" && monitors.holds(5, "d6") == "4");
        brightness.level(then.toInt());
        ASSERT_EVENTUALLY(monitors.holds(4, "10") == then && monitors.holds(5, "10") == then);
        EXPECT_EQ(monitors.holds(4, "d6"), "1");
        EXPECT_EQ(monitors.holds(5, "d6"), "1");
    }
    QStringList rows(const BrightnessController& controller) const {
        QStringList shown;
        for (const Monitor& monitor : controller.monitors())
            shown << monitor.name + (monitor.isConnected ? "" : " 未连接");
        return shown;
    }

    EmulatedMonitors monitors;
    QTemporaryDir settings;
    FakeDisplays displays;
    FakeLoginItem loginItem;
    FakeBrightness brightness;
};

TEST_F(AnyDeskTest, FollowsWhateverMonitorsAreThere) {
    if (std::string_view(build::displaySerials) != build::placeholderSerials)
        GTEST_SKIP() << "the DDC tools of this build number monitors by configured serials";
    brightness.level(60);
    BrightnessController controller(config(), displays, loginItem);
    EXPECT_EQ(rows(controller), QStringList({"DELL U2720Q", "LG HDR 4K"}));
    EXPECT_EQ(controller.status(), "已连接显示器：DELL U2720Q、LG HDR 4K");
    followThroughZero(controller, "60", "45");
    ASSERT_EVENTUALLY_EQ(controller.status(), "已跟随内置显示屏：45%");

    // One monitor left: it follows, and the place of the other reads as empty.
    monitors.fault(5, "unplugged");
    displays.setScreens({builtinScreen, dellScreen});
    ASSERT_EVENTUALLY(!controller.monitors()[1].isConnected);
    brightness.level(50);
    ASSERT_EVENTUALLY_EQ(monitors.holds(4, "10"), "50");
    ASSERT_EVENTUALLY_EQ(controller.status(), "已跟随内置显示屏：50%");

    // Plugged in again: followed as soon as the screens change.
    monitors.fault(5, "");
    QElapsedTimer replug;
    replug.start();
    displays.setScreens({builtinScreen, dellScreen, lgScreen});
    ASSERT_EVENTUALLY_EQ(monitors.holds(5, "10"), "50");
    std::printf("re-plugged monitor followed %lld ms after the screen change\n", replug.elapsed());
    EXPECT_EQ(rows(controller), QStringList({"DELL U2720Q", "LG HDR 4K"}));

    // The first monitor times out on every message: the second follows all the same, its set
    // landing while the first one's message is still timing out.
    const qint64 stalledFrom = EmulatedMonitors::now();
    monitors.fault(4, "timeout");
    for (const int level : {70, 75, 80}) {
        brightness.level(level);
        QElapsedTimer followed;
        followed.start();
        ASSERT_EVENTUALLY_EQ(monitors.holds(5, "10"), QString::number(level));
        std::printf("with the first monitor timing out, the second took %d %% in %lld ms\n", level,
                    followed.elapsed());
    }
    ASSERT_EVENTUALLY(controller.status().startsWith("自动同步失败：DELL U2720Q：DDC 通信失败"));
    const auto firstOf = [&](int bus, auto is) {
        const QList<EmulatedMonitors::Message> sent = monitors.messages(bus, stalledFrom);
        const auto found = std::find_if(sent.begin(), sent.end(), is);
        return found == sent.end() ? std::numeric_limits<qint64>::max() : found->start;
    };
    const qint64 timingOut = firstOf(4, [](const auto& m) { return m.error == ETIMEDOUT; });
    EXPECT_LT(firstOf(5, [](const auto& m) { return m.isSet(); }), timingOut + 200'000);

    // A monitor that takes the set but keeps its luminance is found out once the level settles.
    monitors.fault(4, "");
    ASSERT_EVENTUALLY_EQ(monitors.holds(4, "10"), "80");
    monitors.fault(5, "ignore-set");
    brightness.level(35);
    ASSERT_EVENTUALLY_EQ(monitors.holds(4, "10"), "35");
    ASSERT_EVENTUALLY_EQ(controller.status(), "自动同步失败：LG HDR 4K 没有接受亮度 35，仍为 80");
    EXPECT_EQ(controller.monitors()[1].brightness, 80);

    // Woken from sleep, a monitor back at a level of its own is given the built-in one again.
    monitors.fault(5, "");
    controller.syncToMainDisplay();
    PrivateBus bus;
    QDBusConnection logind = QDBusConnection::connectToBus(bus.address(), "logind");
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    SystemSleep sleep(QDBusConnection::connectToBus(bus.address(), "lumora"));
    QObject::connect(&sleep, &SystemSleep::resumed, &controller,
                     &BrightnessController::systemResumed);
    monitors.setHolds(5, "10", "20");
    QDBusMessage resumed = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    ASSERT_TRUE(logind.send(resumed << false));
    ASSERT_EVENTUALLY_EQ(monitors.holds(5, "10"), "35");

    // Another monitor in the LG's port: found, named and given the level in place of its own.
    monitors.add(5, "BenQ PD2705U", "ET8CN01234SL");
    monitors.setHolds(5, "10", "80");
    displays.setScreens({builtinScreen, dellScreen, screen(5, "BenQ PD2705U", lgFrame)});
    ASSERT_EVENTUALLY_EQ(rows(controller), QStringList({"DELL U2720Q", "BenQ PD2705U"}));
    ASSERT_EVENTUALLY_EQ(monitors.holds(5, "10"), "35");
}

// The laptop carried on with the same cache: to a desk with two other monitors on the same
// ports, then to one with a single monitor never seen before. The monitors in front of it are
// the ones it drives.
TEST_F(AnyDeskTest, FollowsTheMonitorsOfEachDeskItIsCarriedTo) {
    if (std::string_view(build::displaySerials) != build::placeholderSerials)
        GTEST_SKIP() << "the DDC tools of this build number monitors by configured serials";
    brightness.level(50);
    { BrightnessController firstDesk(config(), displays, loginItem); }

    monitors.add(4, "HP E24 G5", "CNC1234XYZ");
    monitors.add(5, "AOC 24G2", "GJLL1BA01234");
    displays.setScreens(
        {builtinScreen, screen(2, "HP E24 G5", dellFrame), screen(3, "AOC 24G2", lgFrame)});
    {
        BrightnessController secondDesk(config(), displays, loginItem);
        EXPECT_EQ(rows(secondDesk), QStringList({"HP E24 G5", "AOC 24G2"}));
        followThroughZero(secondDesk, "50", "35");
    }

    monitors.add(4, "Samsung S27", "H4ZR900123");
    monitors.fault(5, "unplugged");
    displays.setScreens({builtinScreen, screen(2, "Samsung S27", dellFrame)});
    BrightnessController thirdDesk(config(), displays, loginItem);
    EXPECT_TRUE(rows(thirdDesk).contains("Samsung S27"))
        << rows(thirdDesk).join(", ").toStdString();
    thirdDesk.toggleAutoSync();
    EXPECT_EQ(thirdDesk.status(), "已同步到内置显示屏：35%");
    brightness.level(60);
    ASSERT_EVENTUALLY_EQ(monitors.holds(4, "10"), "60");
}

} // namespace
