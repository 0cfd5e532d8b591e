#include "hud/LevelBar.h"
#include "support/ControllerRig.h"
#include "support/Eventually.h"

#include <QFile>
#include <QTimer>
#include <QWidget>

using namespace lumora;
using namespace lumora::test;

namespace {

// Following with real timer ticks: every wait is for a condition, bounded at five seconds.
class AutoSyncTest : public ControllerRig {
protected:
    // Lets the poll read the built-in brightness `probes` more times.
    void letTicksPass(int probes = 3) const {
        const int target = brightness.calls() + probes;
        ASSERT_EVENTUALLY(brightness.calls() >= target);
    }

    static QList<QWidget*> overlays() { return visibleWindows("hud"); }
    static QList<double> overlayLevels() {
        QList<double> levels;
        for (QWidget* overlay : overlays())
            levels << overlay->findChild<LevelBar*>()->level();
        return levels;
    }
};

TEST_F(AutoSyncTest, FollowsTheBuiltinLevelWithTheOverlay) {
    // The overlay stays until taken away, so its going at level 0 is the controller's doing.
    overlayTiming.hideDelay = std::chrono::minutes(1);
    followFrom(50);
    EXPECT_EQ(controller().status(), "已同步到 MacBook 主屏：50%");
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(50)));
    letTicksPass();
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(50)))
        << "an unchanged level runs no tool";
    EXPECT_EQ(overlays(), QList<QWidget*>()) << "switching on shows no overlay";

    setLevel(44);
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：44%");
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(50) + setCommands(44)));
    EXPECT_EQ(overlayLevels(), QList<double>({0.44, 0.44}));
    EXPECT_EQ(controller().monitors()[1].brightness, 44);

    setLevel(0);
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：0%");
    EXPECT_EQ(overlays(), QList<QWidget*>()) << "taken away at once, not shown";
    EXPECT_EQ(frames(visibleWindows("blackout")), QList<QRect>({wideFrame, monitorFrame}));
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOn() + powerOff()));

    setLevel(6);
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：6%");
    EXPECT_EQ(overlayLevels(), QList<double>({0.06, 0.06}));
    EXPECT_EQ(visibleWindows("blackout"), QList<QWidget*>());
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOn() + powerOff() + powerOn()));
    EXPECT_EQ(inLanes(luminanceLog().mid(4)), inLanes(setCommands(6)));
}

TEST_F(AutoSyncTest, FirstTickAfterAFailedSyncAppliesWithoutOverlay) {
    followFrom(50);
    controller().toggleAutoSync();
    brightness.answer("fail");
    controller().toggleAutoSync();
    EXPECT_EQ(controller().status(),
              "操作失败：显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度");
    ASSERT_EVENTUALLY_EQ(controller().status(),
                         "自动同步失败：显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度");

    setLevel(50);
    letTicksPass();
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(50)))
        << "the level is the one applied before";
}

TEST_F(AutoSyncTest, FirstReadingSinceStartNeverShowsTheOverlay) {
    brightness.answer("fail");
    controller().toggleAutoSync();
    setLevel(30);
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：30%");
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(30)));
    EXPECT_EQ(overlays(), QList<QWidget*>());
}

TEST_F(AutoSyncTest, FailingApplyIsRetriedWithoutASecondOverlay) {
    followFrom(40);
    m1ddc.script({"display * set luminance *\terr=总线忙\texit=1"});
    setLevel(45);
    ASSERT_EVENTUALLY_EQ(controller().status(), "自动同步失败：Mi 27 NU：总线忙");
    EXPECT_EQ(overlays().size(), 2);

    // The overlay fades while the monitors are tried again, at a slower and slower pace; shown
    // again at every try, it would never fade.
    ASSERT_EVENTUALLY_EQ(overlays().size(), 0);
    const qsizetype attempts = luminanceLog().size();
    ASSERT_EVENTUALLY(luminanceLog().size() >= attempts + 2);
    EXPECT_EQ(overlays().size(), 0) << "no second overlay for the same level";
    EXPECT_EQ(inLanes(luminanceLog().mid(attempts, 2)), inLanes(setCommands(45)));
}

TEST_F(AutoSyncTest, TicksDuringAnotherOperationDoNothing) {
    followFrom(50);
    m1ddc.script({"display * get luminance\tsleep=500\tout=50", "display * max luminance\tout=100",
                  "display * set luminance *\tout=$5"});
    setLevel(60);
    const int probesBefore = brightness.calls();
    controller().refresh();
    EXPECT_EQ(brightness.calls(), probesBefore) << "no probe while the refresh held the guard";
    EXPECT_EQ(inLanes(luminanceLog().mid(2)),
              inLanes(QStringList({"display 2 get luminance", "display 2 max luminance",
                                   "display 3 get luminance", "display 3 max luminance"})));
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：60%");
}

TEST_F(AutoSyncTest, SwitchingOffRestoresTheBacklightAndKeepsOneTimer) {
    followFrom(0);
    EXPECT_EQ(visibleWindows("blackout").size(), 2);
    panelctl.script({"**\terr=坏了\texit=1"});
    controller().toggleAutoSync();

    EXPECT_EQ(controller().status(), "自动同步已暂停") << "the failed switch-on leaves no trace";
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff() + powerOn()));
    EXPECT_EQ(visibleWindows("blackout"), QList<QWidget*>());
    EXPECT_EQ(controller().findChildren<QTimer*>("syncTimer").size(), 0);

    setLevel(40);
    controller().toggleAutoSync();
    controller().toggleAutoSync();
    controller().toggleAutoSync();
    EXPECT_EQ(controller().findChildren<QTimer*>("syncTimer").size(), 1);
    EXPECT_EQ(inLanes(panelctl.log()),
              inLanes(powerOff() + powerOn() + powerOn() + powerOn() + powerOn()))
        << "a switch-on that failed leaves the backlight recorded off: every step tries again";
}

// With learning on, a step made while following teaches that monitor's curve, the next levels go
// through it, a restart keeps it, and a damaged file is read as far as it is sound.
TEST_F(AutoSyncTest, AStepWhileFollowingTeachesTheCurveWhichIsKept) {
    m1ddc.script(ScriptedTool::monitorsAt(50, 100) << "display * set luminance *\tout=$5"
                                                   << "display 3 chg luminance -5\tout=45");
    followFrom(50);
    const QString file = m1ddc.folder() + "/config/curves";
    EXPECT_FALSE(QFile::exists(file)) << "nothing kept while the user changed nothing";
    controller().setLearning(1, true);
    controller().change(controller().monitors()[1], -5);
    EXPECT_EQ(controller().curve(1).points(), (QMap<qint64, qint64>{{50, 45}}));

    const qsizetype before = luminanceLog().size();
    setLevel(80);
    ASSERT_EVENTUALLY_EQ(controller().status(), "已跟随 MacBook 主屏：80%");
    EXPECT_EQ(inLanes(luminanceLog().mid(before)),
              QStringList({"display 2 set luminance 80", "display 3 set luminance 78"}))
        << "45 at 50, then on towards 100 at 100";
    EXPECT_EQ(controller().curve(0), MonitorCurve()) << "the other monitor is as it was";

    ControllerConfig config = m1ddc.config();
    config.displaySerialNumbers = serials;
    config.applicationFolder = panelctl.folder();
    setLevel(20);
    {
        BrightnessController restarted(config, displays, loginItem);
        EXPECT_TRUE(restarted.isLearning(1));
        restarted.toggleAutoSync();
        EXPECT_EQ(m1ddc.log().filter("display 3 set").last(), "display 3 set luminance 18");
    }

    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::Append));
    damaged.write("Mi\\sMonitor on 0 100 100 10:90 20:x\n\xff\xfe\n");
    damaged.close();
    BrightnessController repaired(config, displays, loginItem);
    repaired.toggleAutoSync();
    EXPECT_EQ(repaired.status(), "已同步到 MacBook 主屏：20%；亮度曲线文件有损坏的部分，已修复");
    EXPECT_EQ(repaired.curve(1).points(), (QMap<qint64, qint64>{{50, 45}}));
}

} // namespace
