#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/ScriptedTool.h"

#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace lumora;
using namespace std::chrono_literals;
using lumora::test::inLanes;
using lumora::test::ScriptedTool;

namespace {

const QStringList refreshCommands = {
    "display 2 get luminance",
    "display 2 max luminance",
    "display 3 get luminance",
    "display 3 max luminance",
};

class BrightnessControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<BrightnessController> makeController(const QStringList& rules) {
        tool.script(rules);
        return std::make_unique<BrightnessController>(tool.config(), displays, loginItem);
    }

    ScriptedTool tool;
    lumora::test::FakeDisplays displays;
    lumora::test::FakeLoginItem loginItem;
};

TEST_F(BrightnessControllerTest, ConstructionReadsBothMonitorsInOrder) {
    const auto controller = makeController(ScriptedTool::monitorsAt(40, 100));

    EXPECT_EQ(inLanes(tool.log()), refreshCommands);
    EXPECT_EQ(controller->status(), "已连接两台小米显示器");
    EXPECT_FALSE(controller->isWorking());
    EXPECT_FALSE(controller->isAutoSyncing());
    EXPECT_FALSE(controller->isTestingBlackout());
    const QList<Monitor> expected = {
        {.id = 2, .displayIndex = 2, .name = "Mi 27 NU", .brightness = 40, .maximum = 100},
        {.id = 3, .displayIndex = 3, .name = "Mi Monitor", .brightness = 40, .maximum = 100},
    };
    EXPECT_EQ(controller->monitors(), expected);
}

TEST_F(BrightnessControllerTest, AnnouncesEveryWriteBeforeItHappens) {
    const auto controller = makeController(ScriptedTool::monitorsAt(40, 100));
    tool.script(ScriptedTool::monitorsAt(41, 90));

    // What observers see at each announcement: the values from before that write.
    QStringList seen;
    QObject::connect(controller.get(), &BrightnessController::objectWillChange, [&] {
        const auto& first = controller->monitors()[0];
        seen << QStringLiteral("%1 %2/%3 %4")
                    .arg(controller->isWorking())
                    .arg(first.brightness.value_or(-1))
                    .arg(first.maximum.value_or(-1))
                    .arg(controller->status());
    });
    controller->refresh();

    const QString connected = "已连接两台小米显示器";
    EXPECT_EQ(seen.size(), 7)
        << "working on, four monitor fields, status (written again though equal), working off";
    // The two monitors answer side by side: their writes may interleave.
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, QStringList({"0 40/100 " + connected, "1 40/100 " + connected,
                                 "1 41/100 " + connected, "1 41/90 " + connected}));
}

TEST_F(BrightnessControllerTest, PartialRefreshKeepsWhatWasRead) {
    const auto controller =
        makeController({"display 2 get luminance\tout=30", "display 2 max luminance\tout=80",
                        "display 3 get luminance\terr=显示器 3 没有回应\\n\texit=1"});

    EXPECT_EQ(inLanes(tool.log()), refreshCommands.mid(0, 3))
        << "the second monitor's max is not asked";
    EXPECT_EQ(controller->monitors()[0].brightness, 30);
    EXPECT_EQ(controller->monitors()[0].maximum, 80);
    EXPECT_EQ(controller->monitors()[1].brightness, std::nullopt);
    EXPECT_EQ(controller->monitors()[1].maximum, std::nullopt);
    EXPECT_EQ(controller->status(), "操作失败：显示器 3 没有回应");
    EXPECT_FALSE(controller->isWorking());
}

TEST_F(BrightnessControllerTest, FailedRefreshLeavesEarlierValues) {
    const auto controller = makeController(ScriptedTool::monitorsAt(40, 100));
    tool.script({"display 2 get luminance\tout=50", "display 2 max luminance\tout=n/a"});
    controller->refresh();

    EXPECT_EQ(controller->monitors()[0].brightness, 50);
    EXPECT_EQ(controller->monitors()[0].maximum, 100);
    EXPECT_EQ(controller->monitors()[1].brightness, 40);
    EXPECT_EQ(controller->status(), "操作失败：显示器返回了无效亮度值：n/a");
}

TEST_F(BrightnessControllerTest, AnswersAreStoredUnchecked) {
    const auto controller =
        makeController({"display 2 get luminance\tout=150", "display 2 max luminance\tout=0",
                        "display 3 get luminance\tout=-4", "display 3 max luminance\tout=+100"});
    EXPECT_EQ(controller->monitors()[0].brightness, 150);
    EXPECT_EQ(controller->monitors()[0].maximum, 0);
    EXPECT_EQ(controller->monitors()[1].brightness, -4);
    EXPECT_EQ(controller->monitors()[1].maximum, 100);
}

struct FailureCase {
    const char* name;
    QString rule;
    QString status;
};

class RefreshFailure : public BrightnessControllerTest,
                       public ::testing::WithParamInterface<FailureCase> {};

// Every query fails: no monitor changes, each is still asked, and the status names the failure.
TEST_P(RefreshFailure, ReportsInTheStatusLine) {
    const auto controller = makeController({GetParam().rule});
    EXPECT_EQ(controller->status(), GetParam().status);
    EXPECT_EQ(inLanes(tool.log()), QStringList({refreshCommands[0], refreshCommands[2]}));
    for (const Monitor& monitor : controller->monitors()) {
        EXPECT_EQ(monitor.brightness, std::nullopt);
        EXPECT_EQ(monitor.maximum, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefreshFailure,
    ::testing::Values(
        FailureCase{"nonZeroExit", "**\terr=  I2C 总线忙 \\n\texit=1", "操作失败：I2C 总线忙"},
        FailureCase{"silentNonZeroExit", "**\texit=1", "操作失败："},
        FailureCase{"stderrNotUtf8", "**\terr=\\xfe\\xff\texit=2", "操作失败：未知错误"},
        FailureCase{"killedBySignal", "**\tsignal=6", "操作失败："},
        FailureCase{"percentAnswer", "**\tout=37%\\n", "操作失败：显示器返回了无效亮度值：37%"},
        FailureCase{"twoNumbers", "**\tout=3 7", "操作失败：显示器返回了无效亮度值：3 7"},
        FailureCase{"emptyAnswer", "**\tout=\\n", "操作失败：显示器返回了无效亮度值："},
        FailureCase{"outputNotUtf8", "**\tout=4\\xff", "操作失败：显示器返回了无效亮度值："},
        FailureCase{"hangs", "**\thang", "操作失败：m1ddc 在 2 秒内没有结束，已被终止"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrightnessControllerTest, MissingToolStillConstructs) {
    ControllerConfig config = tool.config();
    config.executable = "/nonexistent/m1ddc";
    const BrightnessController controller(config, displays, loginItem);

    EXPECT_TRUE(controller.status().startsWith("操作失败："));
    EXPECT_GT(controller.status().size(), QString("操作失败：").size());
    EXPECT_FALSE(controller.isWorking());
    for (const Monitor& monitor : controller.monitors())
        EXPECT_EQ(monitor.brightness, std::nullopt);
}

TEST_F(BrightnessControllerTest, StepSendsTheRelativeChangeAndStoresTheAnswer) {
    const auto controller = makeController(ScriptedTool::monitorsAt(50, 100));
    tool.script({"display 3 chg luminance 5\tout=55\\n", "display 2 chg luminance -5\tout=105"});

    controller->change(controller->monitors()[1], 5);
    EXPECT_EQ(controller->monitors()[1].brightness, 55);
    EXPECT_EQ(controller->status(), "Mi Monitor：亮度 55");

    controller->change(controller->monitors()[0], -5);
    EXPECT_EQ(controller->monitors()[0].brightness, 105) << "stored without a range check";
    EXPECT_EQ(controller->monitors()[0].maximum, 100);
    EXPECT_EQ(controller->status(), "Mi 27 NU：亮度 105");

    EXPECT_EQ(tool.log().mid(4),
              QStringList({"display 3 chg luminance 5", "display 2 chg luminance -5"}));
}

TEST_F(BrightnessControllerTest, StepFindsTheLiveEntryByIdOnly) {
    const auto controller = makeController({"**\texit=1"});
    tool.script({"display 9 chg luminance 5\tout=20", "display 2 chg luminance 5\tout=25"});

    Monitor stale = controller->monitors()[0];
    EXPECT_EQ(stale.brightness, std::nullopt);
    controller->change(stale, 5);
    EXPECT_EQ(controller->monitors()[0].brightness, 25) << "sent although brightness is unknown";

    const QString status = controller->status();
    const Monitor unknown{
        .id = 99, .displayIndex = 9, .name = "Ghost", .brightness = 1, .maximum = 1};
    const qsizetype runs = tool.log().size();
    controller->change(unknown, 5);
    EXPECT_EQ(tool.log().size(), runs) << "no monitor with that id: no lane to send it";
    EXPECT_EQ(controller->status(), status) << "no entry with that id: nothing written";
}

TEST_F(BrightnessControllerTest, FailedStepStoresNothing) {
    const auto controller = makeController(ScriptedTool::monitorsAt(50, 100));
    tool.script({"display 2 chg luminance 5\tout=fifty"});
    controller->change(controller->monitors()[0], 5);
    EXPECT_EQ(controller->monitors()[0].brightness, 50);
    EXPECT_EQ(controller->status(), "操作失败：显示器返回了无效亮度值：fifty");

    tool.script({"display 2 chg luminance 5\terr=忙\texit=1"});
    controller->change(controller->monitors()[0], 5);
    EXPECT_EQ(controller->monitors()[0].brightness, 50);
    EXPECT_EQ(controller->status(), "操作失败：忙");
}

TEST_F(BrightnessControllerTest, OperationsDuringAnotherOneChangeNothing) {
    const auto controller = makeController(ScriptedTool::monitorsAt(50, 100));
    tool.script({"display 2 get luminance\tsleep=300\tout=60", "display * max luminance\tout=100",
                 "display 3 get luminance\tout=60", "display * chg luminance *\tout=1"});

    int nestedAnnouncements = -1;
    bool ranNested = false;
    QTimer::singleShot(50ms, [&] {
        ranNested = controller->isWorking();
        int announcements = 0;
        const auto counter = QObject::connect(
            controller.get(), &BrightnessController::objectWillChange, [&] { ++announcements; });
        controller->change(controller->monitors()[0], 5);
        controller->refresh();
        QObject::disconnect(counter);
        nestedAnnouncements = announcements;
    });
    controller->refresh();

    EXPECT_TRUE(ranNested) << "the timer fired while the refresh waited for its tool";
    EXPECT_EQ(nestedAnnouncements, 0);
    EXPECT_EQ(inLanes(tool.log().mid(4)), refreshCommands);
    EXPECT_EQ(controller->monitors()[0].brightness, 60);
}

} // namespace
