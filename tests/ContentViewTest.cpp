#include "app/LumoraApp.h"
#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
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

class ContentViewTest : public ::testing::Test {
protected:
    // Opens a window of an application whose luminance tool answers by `rules`.
    QWidget* open(const QStringList& rules) {
        tool.script(rules);
        QWidget* window = app.openWindow();
        windows.emplace_back(window);
        window->show();
        return window;
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

    ScriptedTool tool;
    lumora::test::FakeDisplays displays;
    LumoraApp app{tool.config(), displays};
    std::vector<std::unique_ptr<QWidget>> windows;
};

TEST_F(ContentViewTest, ShowsHeaderRowsAndStatus) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));

    EXPECT_EQ(window->windowTitle(), "Lumora");
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
    QTRY_COMPARE(text(row(window, 3), "brightness"), QString("亮度 5 / 100"));
    EXPECT_EQ(text(window, "status"), "Mi Monitor：亮度 5");

    QTest::mouseClick(button(window, 3, "stepDown"), Qt::LeftButton);
    QTRY_COMPARE(text(window, "status"), QString("Mi Monitor：亮度 0"));
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
    QTRY_VERIFY(button(window, 2, "stepUp")->isEnabled());
}

TEST_F(ContentViewTest, WindowsShareTheOneController) {
    QWidget* first = open(ScriptedTool::monitorsAt(40, 100));
    QWidget* second = open(ScriptedTool::monitorsAt(70, 100));

    EXPECT_EQ(tool.log().size(), 4) << "one controller, one first refresh";
    EXPECT_EQ(text(row(second, 2), "brightness"), "亮度 40 / 100");

    app.controller().refresh();
    QTRY_COMPARE(text(row(first, 2), "brightness"), QString("亮度 70 / 100"));
    QTRY_COMPARE(text(row(second, 3), "brightness"), QString("亮度 70 / 100"));
}

TEST_F(ContentViewTest, WindowCannotShrinkBelowItsMinimum) {
    QWidget* window = open(ScriptedTool::monitorsAt(50, 100));
    window->resize(100, 100);
    EXPECT_GE(window->width(), 460);
    EXPECT_GE(window->height(), 330);
}

TEST_F(ContentViewTest, StartsAndReportsWithoutTheTool) {
    ControllerConfig config = tool.config();
    config.executable = "/nonexistent/m1ddc";
    LumoraApp missing(config, displays);
    std::unique_ptr<QWidget> window(missing.openWindow());
    window->show();

    EXPECT_TRUE(text(window.get(), "status").startsWith("操作失败："));
    EXPECT_EQ(text(row(window.get(), 2), "brightness"), "读取中…");
}

TEST(MonitorRowTest, BrightnessText) {
    const auto text = [](std::optional<qint64> brightness, std::optional<qint64> maximum) {
        return MonitorRow::brightnessText({.id = 1,
                                           .displayIndex = 1,
                                           .name = "M",
                                           .brightness = brightness,
                                           .maximum = maximum});
    };
    EXPECT_EQ(text(50, 100), "亮度 50 / 100");
    EXPECT_EQ(text(0, 100), "亮度 0 / 100");
    EXPECT_EQ(text(-3, 12345), "亮度 -3 / 12345");
    EXPECT_EQ(text(std::nullopt, 100), "读取中…");
    EXPECT_EQ(text(30, std::nullopt), "读取中…");
}

} // namespace
