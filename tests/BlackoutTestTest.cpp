#include "support/ControllerRig.h"

#include <QTimer>
#include <QWidget>

using namespace lumora;
using namespace lumora::test;

// The blackout test: both external backlights off and covered until the user ends it.
namespace {

using BlackoutTestTest = ControllerRig;

TEST_F(BlackoutTestTest, StateTable) {
    controller();
    controller().toggleBlackoutTest();
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff()));
    EXPECT_TRUE(controller().isTestingBlackout());

    controller().toggleBlackoutTest();
    EXPECT_EQ(inLanes(panelctl.log()), inLanes(powerOff() + powerOn()));
    EXPECT_FALSE(controller().isTestingBlackout());
    EXPECT_EQ(controller().status(), "背光关闭测试已结束");
    EXPECT_EQ(visibleWindows("blackout"), QList<QWidget*>());

    panelctl.script({"**\terr=没有 DDC\texit=1"});
    controller().toggleBlackoutTest();
    EXPECT_EQ(controller().status(), "操作失败：没有 DDC");
    EXPECT_FALSE(controller().isTestingBlackout());
    EXPECT_EQ(visibleWindows("blackout").size(), 2) << "covered even though the power failed";

    panelctl.script({"**"});
    controller().toggleBlackoutTest();
    EXPECT_TRUE(controller().isTestingBlackout());
    panelctl.script({"**\terr=没有 DDC\texit=1"});
    controller().toggleBlackoutTest();
    EXPECT_EQ(controller().status(), "操作失败：没有 DDC");
    EXPECT_TRUE(controller().isTestingBlackout()) << "a failed end keeps the test running";
    EXPECT_EQ(visibleWindows("blackout").size(), 2);
    EXPECT_FALSE(controller().isWorking());
}

TEST_F(BlackoutTestTest, StopsFollowingFirst) {
    followFrom(50);
    controller().toggleBlackoutTest();
    EXPECT_FALSE(controller().isAutoSyncing());
    EXPECT_TRUE(controller().isTestingBlackout());
    EXPECT_EQ(controller().status(), "正在测试：两个外接屏背光已关闭");
    EXPECT_EQ(visibleWindows("blackout").size(), 2);

    controller().toggleAutoSync();
    EXPECT_FALSE(controller().isTestingBlackout()) << "following on ends the test";
    EXPECT_TRUE(controller().isAutoSyncing());
    EXPECT_EQ(visibleWindows("blackout"), QList<QWidget*>());
}

TEST_F(BlackoutTestTest, WhileBusyOnlyStopsFollowing) {
    followFrom(50);
    m1ddc.script(
        {"display * get luminance\tsleep=300\tout=50", "display * max luminance\tout=100"});
    QTimer::singleShot(100, [&] { controller().toggleBlackoutTest(); });
    controller().refresh();
    EXPECT_FALSE(controller().isAutoSyncing());
    EXPECT_FALSE(controller().isTestingBlackout());
    EXPECT_EQ(controller().status(), "已连接两台小米显示器");
}

} // namespace
