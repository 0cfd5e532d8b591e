#include "support/ControllerRig.h"

#include <QFile>
#include <QWidget>

using namespace lumora;
using namespace lumora::test;

namespace {

class SyncTest : public ControllerRig {
protected:
    void syncAt(int percent) {
        setLevel(percent);
        controller().syncToMainDisplay();
    }

    static QList<QWidget*> coverWindows() { return visibleWindows("blackout"); }
    static QList<QRect> coveredFrames() { return frames(coverWindows()); }
};

TEST_F(SyncTest, LevelZeroCoversAndSwitchesTheBacklightOff) {
    syncAt(0);

    EXPECT_EQ(inLanes(luminanceLog()), inLanes(QStringList())) << "no luminance is set at level 0";
    EXPECT_EQ(controller().monitors()[0].brightness, 0);
    EXPECT_EQ(controller().monitors()[1].brightness, 0);
    EXPECT_EQ(coveredFrames(), QList<QRect>({wideFrame, monitorFrame}));
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff()));
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：0%");
    EXPECT_FALSE(controller().isWorking());
    EXPECT_EQ(brightness.lastDisplayAsked(), "1");
}

TEST_F(SyncTest, FirstNonZeroLevelSwitchesOnThenSetsEachMonitor) {
    syncAt(40);
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOn()));
    EXPECT_EQ(displays.switches, QStringList()) << "the displays were not off: no wake";
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(40)));
    EXPECT_EQ(controller().monitors()[0].brightness, 40);
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：40%");

    syncAt(40);
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOn())) << "already on: no second power command";
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(40) + setCommands(40)));
}

TEST_F(SyncTest, ComingBackFromZeroWakesBetweenThePasses) {
    displays.current[3] = {.id = 1, .width = 1920, .height = 1080, .refreshRate = 60};
    displays.modes[3] = {{.id = 1, .width = 1920, .height = 1080, .refreshRate = 60},
                         {.id = 2, .width = 1920, .height = 1080, .refreshRate = 50}};
    // The woken monitor's switch-on runs so far: its own lane wakes it between its two passes.
    qsizetype powerRunsAtWake = -1;
    displays.onSetMode = [&] {
        if (powerRunsAtWake < 0)
            powerRunsAtWake = panelctl.log().filter(secondSerial + " 0xD6 0x01").size();
    };

    syncAt(0);
    syncAt(0);
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff() + powerOff()))
        << "every level 0 switches off again";
    syncAt(65);

    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff() + powerOff() + powerOn()));
    EXPECT_EQ(displays.switches, QStringList({"3:2", "3:1"}));
    EXPECT_EQ(powerRunsAtWake, 1) << "after the first pass, before the second";
    EXPECT_EQ(coverWindows(), QList<QWidget*>());
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(65)));
}

TEST_F(SyncTest, MonitorAnswersAreStoredAndFailuresStopTheRest) {
    m1ddc.script({"display 2 set luminance *\tout=38",
                  "display 3 set luminance *\terr=显示器 3 忙\texit=1"});
    syncAt(40);
    EXPECT_EQ(controller().monitors()[0].brightness, 38);
    EXPECT_EQ(controller().monitors()[1].brightness, std::nullopt);
    EXPECT_EQ(controller().status(), "操作失败：显示器 3 忙");

    m1ddc.script({"display 2 set luminance *\tout=\\n"});
    syncAt(40);
    EXPECT_EQ(controller().status(), "操作失败：显示器返回了无效亮度值：");
    EXPECT_EQ(controller().monitors()[0].brightness, 38);
}

TEST_F(SyncTest, UnreadableBuiltinBrightnessSendsNothing) {
    controller();
    brightness.answer("fail");
    controller().syncToMainDisplay();
    EXPECT_EQ(controller().status(),
              "操作失败：显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度");
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(QStringList()));
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(QStringList()));
}

// Each monitor keeps the power state it really took: only one that took the switch-off waits
// for the switch-on, and only while that fails.
struct PowerCase {
    const char* name;
    QStringList offRules; // panelctl's rules for the switch-off
    QStringList onRules;  // and for the switch-on that follows
    QStringList expectedOn;
    QStringList expectedLuminance;
    const char* expectedStatus;
};

class PowerStateTest : public SyncTest, public ::testing::WithParamInterface<PowerCase> {};

TEST_P(PowerStateTest, OnlyAMonitorThatTookTheSwitchOffWaitsForTheSwitchOn) {
    const PowerCase& power = GetParam();
    syncAt(30);
    panelctl.script(power.offRules);
    syncAt(0);
    EXPECT_EQ(coverWindows().size(), 2);
    const qsizetype before = panelctl.log().size();
    panelctl.script(power.onRules);
    syncAt(45);

    EXPECT_EQ(inLanes(panelctl.log().mid(before)), inLanes(power.expectedOn));
    EXPECT_EQ(inLanes(luminanceLog().mid(2)), inLanes(power.expectedLuminance));
    EXPECT_EQ(controller().status(), power.expectedStatus);
    EXPECT_EQ(coverWindows().size(), 0) << "cover windows go before any power command";

    panelctl.script({"**"});
    syncAt(45);
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：45%")
        << "a monitor still off is switched on again until it takes it";
}

const QString failsFor1 = "setvcp --noverify --sn 1111111111111 **\terr=找不到显示器 1\texit=1";
const QStringList failsAll = {"setvcp --noverify --sn 1111111111111 **\terr=显示器 1 失败\texit=1",
                              "**\terr=显示器 2 失败\texit=1"};

INSTANTIATE_TEST_SUITE_P(, PowerStateTest,
                         ::testing::Values(PowerCase{"OffTakenByNone",
                                                     failsAll,
                                                     {"**"},
                                                     {},
                                                     ControllerRig::setCommands(45),
                                                     "已同步到 MacBook 主屏：45%"},
                                           PowerCase{"OffTakenBySecondOnly",
                                                     {failsFor1, "**"},
                                                     {"**"},
                                                     ControllerRig::power("0x01", {secondSerial,
                                                                                   secondSerial}),
                                                     ControllerRig::setCommands(45),
                                                     "已同步到 MacBook 主屏：45%"},
                                           PowerCase{"OffTakenByBoth",
                                                     {"**"},
                                                     {"**"},
                                                     ControllerRig::powerOn(),
                                                     ControllerRig::setCommands(45),
                                                     "已同步到 MacBook 主屏：45%"},
                                           PowerCase{"OnMissedByFirst",
                                                     {"**"},
                                                     {failsFor1, "**"},
                                                     ControllerRig::powerOn(),
                                                     {"display 3 set luminance 45"},
                                                     "操作失败：找不到显示器 1"},
                                           PowerCase{"OnMissedByBoth",
                                                     {"**"},
                                                     failsAll,
                                                     ControllerRig::powerOn(),
                                                     {},
                                                     "操作失败：显示器 1 失败"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SyncTest, APowerToolThatNeverWorksDoesNotHoldBackMonitorsThatWereNeverOff) {
    panelctl.script({"**\terr=不支持\texit=1"});
    syncAt(30);
    EXPECT_EQ(controller().status(), "操作失败：不支持");
    syncAt(30);
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：30%");
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(30)));
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOn()))
        << "taken as on: not switched on at every step";
}

TEST_F(SyncTest, MissingPowerToolReportsTheStartError) {
    QFile::remove(panelctl.path());
    syncAt(30);
    EXPECT_TRUE(controller().status().startsWith("操作失败："))
        << controller().status().toStdString();
    EXPECT_GT(controller().status().size(), QString("操作失败：").size());
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(QStringList()));
}

// A monitor that cannot be addressed is never switched off: it is not taken as dark, so it
// needs no wake and follows as before.
TEST_F(SyncTest, WithoutSerialNumbersTheBacklightStaysOn) {
    serials.clear();
    displays.current[3] = {.id = 1, .width = 1920, .height = 1080, .refreshRate = 60};
    displays.modes[3] = {{.id = 2, .width = 1920, .height = 1080, .refreshRate = 59.94}};
    syncAt(0);
    EXPECT_EQ(controller().status(), "操作失败：显示器 2 没有可用的序列号，无法关闭背光");
    EXPECT_EQ(controller().monitors()[0].brightness, 50) << "the row keeps what it holds";
    syncAt(20);
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(QStringList()));
    EXPECT_EQ(displays.switches, QStringList());
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：20%");
}

TEST_F(SyncTest, WakeActsOnListedNamesOnly) {
    const DisplayMode sixty{.id = 1, .width = 1920, .height = 1080, .refreshRate = 60};
    const DisplayMode fifty{.id = 2, .width = 1920, .height = 1080, .refreshRate = 50};
    const QRect frame(0, 0, 1920, 1080);
    displays.setScreens({
        {.number = 7,
         .name = "Mi Monitor",
         .geometry = frame,
         .availableGeometry = frame,
         .serial = {}},
        {.number = 1,
         .name = "Built-in Retina Display",
         .geometry = frame,
         .availableGeometry = frame,
         .serial = {}},
        {.number = 2,
         .name = "Mi 27 NU",
         .geometry = frame,
         .availableGeometry = frame,
         .serial = {}},
        {.number = std::nullopt,
         .name = "Mi Monitor",
         .geometry = frame,
         .availableGeometry = frame,
         .serial = {}},
        {.number = 3,
         .name = "Mi Monitor",
         .geometry = frame,
         .availableGeometry = frame,
         .serial = {}},
    });
    for (quint32 display : {1u, 2u, 3u, 7u}) {
        displays.current[display] = sixty;
        displays.modes[display] = {sixty, fifty};
    }
    displays.refusing = {7};

    syncAt(0);
    syncAt(50);
    EXPECT_EQ(displays.switches, QStringList({"7:2", "3:2", "3:1"}))
        << "a refused switch is not undone, and the next screen still gets its turn";
}

TEST_F(SyncTest, CoverWindowsFollowTheScreens) {
    syncAt(0);
    const QList<QWidget*> windows = coverWindows();
    ASSERT_EQ(windows.size(), 2);
    for (QWidget* window : windows) {
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_TRUE(flags.testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                    Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus));
    }

    const QRect resized(1920, 0, 1920, 1080);
    displays.setScreens({
        builtinScreen,
        {.number = 2,
         .name = "Mi 27 NU",
         .geometry = resized,
         .availableGeometry = resized,
         .serial = {}},
    });
    EXPECT_EQ(coverWindows(), QList<QWidget*>({windows[0]})) << "kept and reused, the other gone";
    EXPECT_EQ(coveredFrames(), QList<QRect>({resized}));

    displays.setScreens({builtinScreen});
    EXPECT_EQ(coverWindows(), QList<QWidget*>()) << "the built-in display is never covered";

    displays.setScreens({wideScreen});
    EXPECT_EQ(coveredFrames(), QList<QRect>({wideFrame}));
    syncAt(10);
    EXPECT_EQ(coverWindows(), QList<QWidget*>());
}

} // namespace
