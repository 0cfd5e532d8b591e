#include "app/LumoraApp.h"
#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/Eventually.h"
#include "support/FakeBrightness.h"
#include "support/ScriptedTool.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace lumora;
using namespace lumora::test;

namespace {

// Windows of the application, with the start-up actions they run when shown. The built-in
// brightness cannot be read, so following runs no tools.
class LumoraAppTest : public ::testing::Test {
protected:
    QWidget* open() {
        QWidget* window = app.openWindow();
        windows.emplace_back(window);
        window->show();
        return window;
    }

    static QString text(QWidget* window, const char* objectName) {
        const auto* label = window->findChild<QLabel*>(objectName);
        return label ? label->text() : QStringLiteral("<missing>");
    }

    static QString brightnessOf(QWidget* window, qint64 id) {
        QWidget* row = window->findChild<QWidget*>(QStringLiteral("monitor-%1").arg(id));
        return text(row, "brightness");
    }

    ScriptedTool tool;
    FakeBrightness brightness;
    FakeDisplays displays;
    FakeLoginItem loginItem;
    LumoraApp app{tool.config(), displays, loginItem};
    std::vector<std::unique_ptr<QWidget>> windows;
};

TEST_F(LumoraAppTest, WindowsShareTheOneController) {
    tool.script(ScriptedTool::monitorsAt(40, 100));
    QWidget* first = open();
    tool.script(ScriptedTool::monitorsAt(70, 100));
    QWidget* second = open();

    EXPECT_EQ(first->windowTitle(), "Lumora");
    EXPECT_EQ(tool.log().size(), 4) << "one controller, one first refresh";
    EXPECT_EQ(brightnessOf(second, 2), "亮度 40 / 100");

    app.controller().refresh();
    ASSERT_EVENTUALLY_EQ(brightnessOf(first, 2), "亮度 70 / 100");
    ASSERT_EVENTUALLY_EQ(brightnessOf(second, 3), "亮度 70 / 100");
}

// Widgets that draw something of their own: labels and buttons, not the boxes around them.
QList<QWidget*> leaves(QWidget* window) {
    QList<QWidget*> found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isVisible() &&
            (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)))
            found.append(widget);
    }
    return found;
}

QRect inWindow(QWidget* widget) {
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

TEST_F(LumoraAppTest, AtItsMinimumTheWindowShowsEverythingWhole) {
    tool.script(ScriptedTool::monitorsAt(40, 100));
    QWidget* window = open();
    window->resize(100, 100);
    QCoreApplication::processEvents();

    EXPECT_GE(window->width(), 460);
    EXPECT_GE(window->height(), 330);
    const QList<QWidget*> widgets = leaves(window);
    ASSERT_GT(widgets.size(), 10);
    for (QWidget* widget : widgets) {
        SCOPED_TRACE(widget->objectName().toStdString());
        EXPECT_TRUE(window->rect().contains(inWindow(widget))) << "inside the window";
        if (const auto* button = qobject_cast<QAbstractButton*>(widget);
            button && !button->text().isEmpty()) {
            EXPECT_GE(widget->width(), widget->sizeHint().width()) << "label not cut";
        }
        for (QWidget* other : widgets) {
            if (other != widget && !widget->isAncestorOf(other) && !other->isAncestorOf(widget)) {
                EXPECT_FALSE(inWindow(widget).intersects(inWindow(other)))
                    << "overlaps " << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(LumoraAppTest, StartUpRegistersAndFollowsOncePerProcess) {
    open();
    ASSERT_EVENTUALLY(app.controller().isAutoSyncing());
    EXPECT_EQ(loginItem.registrations, 1);

    app.controller().toggleAutoSync();
    open();
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(app.controller().isAutoSyncing()) << "a second window runs nothing again";
    EXPECT_EQ(loginItem.registrations, 1);
}

TEST_F(LumoraAppTest, StartUpLeavesFollowingOnWhenAlreadyOn) {
    loginItem.enabled = true;
    app.controller().toggleAutoSync();
    open();
    QCoreApplication::processEvents();
    EXPECT_TRUE(app.controller().isAutoSyncing());
    EXPECT_EQ(loginItem.registrations, 0) << "already enabled: not registered again";
}

TEST_F(LumoraAppTest, StartsWithoutTheToolAndEndsWithTheFollowingStatus) {
    ControllerConfig config = tool.config();
    config.executable = "/nonexistent/m1ddc";
    loginItem.refusal = "没有权限";
    LumoraApp missing(config, displays, loginItem);
    EXPECT_TRUE(missing.controller().status().startsWith("操作失败："));

    std::unique_ptr<QWidget> window(missing.openWindow());
    window->show();
    EXPECT_EQ(brightnessOf(window.get(), 2), "读取中…");
    ASSERT_EVENTUALLY(missing.controller().isAutoSyncing());
    EXPECT_EQ(loginItem.registrations, 1);
    // The first sync's outcome (or a tick's, if one came already) replaces both the refresh
    // failure and the login failure.
    EXPECT_TRUE(missing.controller().status().endsWith(
        "显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度"))
        << missing.controller().status().toStdString();
}

} // namespace
