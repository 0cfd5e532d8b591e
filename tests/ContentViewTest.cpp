#include "ui/ContentView.h"
#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/Eventually.h"
#include "support/ScriptedTool.h"
#include "ui/MonitorRow.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace lumora;
using namespace std::chrono_literals;
using lumora::test::ScriptedTool;

namespace {

// The content view on a controller of its own, shown as a window of its own.
class ContentViewTest : public ::testing::Test {
protected:
    QWidget* open(const QStringList& rules) {
        tool.script(rules);
        controller = std::make_unique<BrightnessController>(tool.config(), displays, loginItem);
        view = std::make_unique<ContentView>(*controller);
        view->show();
        return view.get();
    }

    static QString text(QWidget* parent, const char* objectName) {
        const auto* label = parent->findChild<QLabel*>(objectName);
        return label ? label->text() : QStringLiteral("<missing>");
    }

    static MonitorRow* row(QWidget* window, qint64 id) {
        return window->findChild<MonitorRow*>(QStringLiteral("monitor-%1").arg(id));
    }

    static QPushButton* button(QWidget* window, qint64 id, const char* objectName) {
        return row(window, id)->findChild<QPushButton*>(objectName);
    }

    static QString accessibleName(QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    }

    static QPushButton* command(QWidget* window, const char* objectName) {
        return window->findChild<QPushButton*>(objectName);
    }

    ScriptedTool tool;
    lumora::test::FakeDisplays displays;
    lumora::test::FakeLoginItem loginItem;
    std::unique_ptr<BrightnessController> controller;
    std::unique_ptr<ContentView> view;
};

TEST_F(ContentViewTest, ShowsHeaderRowsAndStatus) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));

    EXPECT_EQ(text(window, "title"), "Lumora 测试");
    EXPECT_EQ(text(window, "description"), "控制当前连接的两台小米显示器");
    EXPECT_EQ(text(window, "status"), "已连接两台小米显示器");
    for (const auto& [id, name] : {std::pair{2, "Mi 27 NU"}, std::pair{3, "Mi Monitor"}}) {
        SCOPED_TRACE(name);
        ASSERT_NE(row(window, id), nullptr);
        EXPECT_EQ(text(row(window, id), "name"), name);
        EXPECT_EQ(text(row(window, id), "brightness"), "亮度 50 / 100");
        EXPECT_EQ(accessibleName(button(window, id, "stepDown")), QString("调暗 ") + name);
        EXPECT_EQ(accessibleName(button(window, id, "stepUp")), QString("调亮 ") + name);
        EXPECT_TRUE(button(window, id, "stepUp")->isEnabled());
        EXPECT_TRUE(button(window, id, "stepDown")->isEnabled());
    }
    EXPECT_LT(row(window, 2)->y(), row(window, 3)->y());
    EXPECT_LT(row(window, 3)->geometry().bottom(), window->findChild<QLabel*>("status")->y());
}

TEST_F(ContentViewTest, StatusWithMarkupStaysVerbatim) {
    QWidget* window = open({"display * get luminance\terr=<b>总线</b>忙 &lt;3&gt;\texit=1"});
    const auto* status = window->findChild<QLabel*>("status");
    EXPECT_EQ(status->text(), "操作失败：<b>总线</b>忙 &lt;3&gt;");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
}

TEST_F(ContentViewTest, RowsWaitForAKnownBrightness) {
    // The first monitor answers get but not max, the second answers nothing.
    QWidget* window = open({"display 2 get luminance\tout=30", "**\terr=没有回应\texit=1"});

    EXPECT_EQ(text(row(window, 2), "brightness"), "读取中…");
    EXPECT_TRUE(button(window, 2, "stepUp")->isEnabled())
        << "a missing maximum alone disables nothing";
    EXPECT_EQ(text(row(window, 3), "brightness"), "读取中…");
    EXPECT_FALSE(button(window, 3, "stepUp")->isEnabled());
    EXPECT_FALSE(button(window, 3, "stepDown")->isEnabled());
    EXPECT_EQ(text(window, "status"), "操作失败：没有回应");
}

TEST_F(ContentViewTest, StepButtonsStepTheirOwnMonitorAndTheViewFollows) {
    QWidget* window = open(ScriptedTool::monitorsAt(0, 100));
    tool.script({"display 3 chg luminance 5\tout=5", "display 3 chg luminance -5\tout=0"});

    EXPECT_EQ(text(row(window, 3), "brightness"), "亮度 0 / 100");
    QTest::mouseClick(button(window, 3, "stepUp"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(text(row(window, 3), "brightness"), "亮度 5 / 100");
    EXPECT_EQ(text(window, "status"), "Mi Monitor：亮度 5");

    QTest::mouseClick(button(window, 3, "stepDown"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(text(window, "status"), "Mi Monitor：亮度 0");
    EXPECT_EQ(tool.log().mid(4),
              QStringList({"display 3 chg luminance 5", "display 3 chg luminance -5"}));
}

TEST_F(ContentViewTest, EveryButtonIsDisabledWhileWorking) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));
    tool.script({"display 2 chg luminance 5\tsleep=400\tout=55"});

    QStringList enabledDuringWork;
    QTimer::singleShot(200ms, [&] {
        for (auto* button : window->findChildren<QPushButton*>())
            if (button->isEnabled())
                enabledDuringWork << button->objectName();
    });
    QTest::mouseClick(button(window, 2, "stepUp"), Qt::LeftButton);

    EXPECT_EQ(enabledDuringWork, QStringList());
    ASSERT_EVENTUALLY(button(window, 2, "stepUp")->isEnabled());
}

TEST_F(ContentViewTest, CommandLabelsFollowTheModes) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));
    EXPECT_EQ(command(window, "sync")->text(), "同步到 MacBook 主屏");
    EXPECT_EQ(command(window, "autoSync")->text(), "开启 F1/F2 自动同步");
    EXPECT_EQ(command(window, "blackoutTest")->text(), "测试关闭外接屏背光");
    EXPECT_EQ(command(window, "refresh")->text(), "");
    EXPECT_EQ(command(window, "refresh")->toolTip(), "刷新亮度");
    EXPECT_FALSE(command(window, "refresh")->icon().isNull());

    // No built-in brightness can be read here, so following stays on without doing anything.
    QTest::mouseClick(command(window, "autoSync"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(command(window, "autoSync")->text(), "暂停自动同步");
    QTest::mouseClick(command(window, "autoSync"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(command(window, "autoSync")->text(), "开启 F1/F2 自动同步");
    EXPECT_EQ(text(window, "status"), "自动同步已暂停");
}

TEST_F(ContentViewTest, RefreshButtonReadsTheMonitorsAgain) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));
    tool.script(ScriptedTool::monitorsAt(60, 100));
    QTest::mouseClick(command(window, "refresh"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(text(row(window, 3), "brightness"), "亮度 60 / 100");
    EXPECT_EQ(tool.log().size(), 8);
}

} // namespace
