#include "control/WakeMode.h"
#include "platform/KdeOutputManagement.h"
#include "platform/WaylandDesktopModes.h"
#include "platform/WlrOutputManagement.h"
#include "platform/X11Displays.h"
#include "support/Printers.h"
#include "support/TestCompositor.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

using namespace lumora;
using namespace lumora::test;

// Display modes through the desktops' Wayland protocols: against a compositor of ours, and under
// tests/wayland/with-sway and with-kwin.
namespace {

using Protocol = TestCompositor::Protocol;

// What the wakes of monitors came to: the desktop's reasons for the switches that failed, and the
// longest one switch held the event loop.
struct Wakes {
    QStringList failures;
    double longestMilliseconds = 0;
};

// Sets the modes one after the other, up to the first the desktop does not set.
void setModes(DesktopModes& modes, const QString& connector, const QList<DisplayMode>& each,
              Wakes& wakes) {
    for (const DisplayMode& mode : each) {
        QElapsedTimer held;
        held.start();
        const Result<void, QString> set = modes.setMode(connector, mode);
        wakes.longestMilliseconds = std::max(wakes.longestMilliseconds, held.nsecsElapsed() / 1e6);
        if (!set.ok()) {
            wakes.failures << set.failure();
            return;
        }
    }
}

// The controller's wake: the current mode, the first other rate of its size, and back.
void wake(DesktopModes& modes, const QString& connector, Wakes& wakes) {
    const std::optional<DisplayMode> current = modes.currentMode(connector);
    ASSERT_TRUE(current.has_value()) << qPrintable(connector);
    const std::optional<DisplayMode> other = wakeMode(*current, modes.allModes(connector));
    ASSERT_TRUE(other.has_value()) << qPrintable(connector);
    setModes(modes, connector, {*other, *current}, wakes);
}

struct Case {
    const char* name;
    TestCompositor::Answers answers;
    QStringList woken;
    QStringList log;
    QStringList failures;
};

const Case cases[] = {
    {"SwitchedAndBack",
     {},
     {"HDMI-A-1", "DP-1"},
     {"HDMI-A-1 1920x1080@50000 applied", "HDMI-A-1 1920x1080@60000 applied",
      "DP-1 2560x1440@59951 applied", "DP-1 2560x1440@60000 applied"},
     {}},
    {"ARefusalSkipsOnlyThatMonitor",
     {.refused = "DP-1"},
     {"DP-1", "HDMI-A-1"},
     {"DP-1 2560x1440@59951 failed", "HDMI-A-1 1920x1080@50000 applied",
      "HDMI-A-1 1920x1080@60000 applied"},
     {"桌面拒绝了显示器 DP-1 的模式 2560×1440 @ 59.951 Hz"}},
    {"ACancelIsTriedOnceMoreWithTheNewSerial",
     {.cancelled = 1},
     {"HDMI-A-1"},
     {"HDMI-A-1 1920x1080@50000 cancelled", "HDMI-A-1 1920x1080@50000 applied",
      "HDMI-A-1 1920x1080@60000 applied"},
     {}},
    {"TwoCancelsFail",
     {.cancelled = 2},
     {"HDMI-A-1"},
     {"HDMI-A-1 1920x1080@50000 cancelled", "HDMI-A-1 1920x1080@50000 cancelled"},
     {"桌面两次取消了显示器 HDMI-A-1 的模式切换"}},
    {"BackByTheSameSizeAndRateWhereTheModesWereAnnouncedAnew",
     {.renewModes = true},
     {"HDMI-A-1"},
     {"HDMI-A-1 1920x1080@50000 applied", "HDMI-A-1 1920x1080@60000 applied"},
     {}},
    {"ASilentDesktopFailsInTimeAndTheNextWakeWorks",
     {.unanswered = 1},
     {"HDMI-A-1", "HDMI-A-1"},
     {"HDMI-A-1 1920x1080@50000 unanswered", "HDMI-A-1 1920x1080@50000 applied",
      "HDMI-A-1 1920x1080@60000 applied"},
     {"桌面没有在 0.3 秒内应用显示模式"}},
};

void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

class WaylandModesTest : public testing::TestWithParam<std::tuple<Protocol, Case>> {};

TEST_P(WaylandModesTest, WakesMonitorsThroughTheDesktop) {
    const auto& [protocol, row] = GetParam();
    if (protocol == Protocol::Kde && row.answers.cancelled > 0)
        GTEST_SKIP() << "KWin's configurations are never cancelled";
    const QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("WAYLAND_DISPLAY", "lumora-test");
    const TestCompositor compositor(protocol, row.answers, "lumora-test");

    const std::unique_ptr<DesktopModes> modes = waylandDesktopModes();
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(dynamic_cast<KdeOutputManagement*>(modes.get()) != nullptr,
              protocol == Protocol::Kde);
    Wakes wakes;
    for (const QString& connector : row.woken)
        wake(*modes, connector, wakes);
    EXPECT_EQ(compositor.log(), row.log);
    EXPECT_EQ(wakes.failures, row.failures);
    for (const QString connector : {"DP-1", "HDMI-A-1"})
        EXPECT_EQ(modes->currentMode(connector), modes->allModes(connector).value(0))
            << qPrintable(connector) << " is back in its first mode";
    std::printf("The longest switch held the event loop for %.1f ms\n", wakes.longestMilliseconds);
}

INSTANTIATE_TEST_SUITE_P(
    BothProtocols, WaylandModesTest,
    testing::Combine(testing::Values(Protocol::Kde, Protocol::Wlroots), testing::ValuesIn(cases)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) == Protocol::Kde ? "Kde_" : "Wlroots_") +
               std::get<1>(info.param).name;
    });

// The desktops of tests/wayland/with-sway and with-kwin: their protocol is found, and a wake of
// their first output switches or, where it has no other rate, skips.
TEST(WaylandDesktopModesTest, FindsTheDesktopsProtocolAndWakesOrSkips) {
    if (!qEnvironmentVariableIsEmpty("LUMORA_TEST_NO_DESKTOP"))
        GTEST_SKIP() << qPrintable(qEnvironmentVariable("LUMORA_TEST_NO_DESKTOP"));
    const QString desktop = qEnvironmentVariable("LUMORA_TEST_DESKTOP");
    if (desktop != "sway" && desktop != "kwin")
        GTEST_SKIP() << "needs tests/wayland/with-sway or with-kwin";

    const std::unique_ptr<DesktopModes> modes = waylandDesktopModes();
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(dynamic_cast<KdeOutputManagement*>(modes.get()) != nullptr, desktop == "kwin");
    EXPECT_EQ(dynamic_cast<WlrOutputManagement*>(modes.get()) != nullptr, desktop == "sway");
    const QString connector = desktop == "kwin" ? "Virtual-0" : "HEADLESS-1";
    const std::optional<DisplayMode> current = modes->currentMode(connector);
    const QList<DisplayMode> all = modes->allModes(connector);
    const std::optional<DisplayMode> other = current ? wakeMode(*current, all) : std::nullopt;
    Wakes wakes;
    // Where the wake skips, the desktop still takes a configuration of its current mode.
    if (current)
        setModes(*modes, connector, other ? QList{*other, *current} : QList{*current}, wakes);
    EXPECT_EQ(wakes.failures, QStringList());
    const X11Displays displays(modes.get());
    EXPECT_EQ(displays.currentMode(X11Displays::numberForName(connector)), current)
        << "the XWayland screen's modes are its connector's";
    std::printf("%s: %s has %lld modes, %s current; the wake %s; a switch took %.1f ms at most\n",
                qPrintable(desktop), qPrintable(connector), qlonglong(all.size()),
                current ? qPrintable(QStringLiteral("%1x%2 at %3 Hz")
                                         .arg(current->width)
                                         .arg(current->height)
                                         .arg(current->refreshRate))
                        : "none",
                other ? "switched" : "skipped", wakes.longestMilliseconds);
}

} // namespace
