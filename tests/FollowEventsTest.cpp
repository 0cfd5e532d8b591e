#include "platform/BacklightEvents.h"
#include "platform/LinuxBuiltinPanel.h"
#include "platform/SystemSleep.h"
#include "support/ControllerRig.h"
#include "support/Eventually.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

using namespace lumora;
using namespace lumora::test;

namespace {

// A connector's folder as the kernel lays it out under /sys/class/drm: its entry name, then
// its status, enabled and dpms attributes.
void writeConnector(const QTemporaryDir& drm, const QStringList& connector) {
    QDir(drm.path()).mkpath(connector[0]);
    for (const auto& [name, text] :
         {std::pair{"status", connector[1]}, {"enabled", connector[2]}, {"dpms", connector[3]}}) {
        QFile file(drm.filePath(connector[0] + "/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((text + "\n").toUtf8());
    }
}

// Following driven by change events. The poll is stopped where a test must tell the two apart.
class FollowEventsTest : public ControllerRig {
protected:
    void SetUp() override {
        ControllerRig::SetUp();
        counter = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        events = std::make_unique<BacklightEvents>(counter, QSocketNotifier::Read);
        QObject::connect(events.get(), &BacklightEvents::changed, &controller(),
                         &BrightnessController::builtinBrightnessChanged);
    }

    void change(int percent) const {
        setLevel(percent);
        const uint64_t one = 1;
        ASSERT_EQ(write(counter, &one, sizeof one), ssize_t(sizeof one));
    }
    void stopPolling() { controller().findChild<QTimer*>("syncTimer")->stop(); }
    bool bothAt(int level) {
        return controller().monitors()[0].brightness == level &&
               controller().monitors()[1].brightness == level;
    }

    int counter = -1;
    std::unique_ptr<BacklightEvents> events;
};

TEST_F(FollowEventsTest, FollowsAtOnceTheNewestLevelOneStepAtATime) {
    followFrom(50);
    stopPolling();

    change(44);
    ASSERT_EVENTUALLY_EQ(controller().status(), QString("已跟随 MacBook 主屏：44%"));
    EXPECT_EQ(inLanes(luminanceLog()), inLanes(setCommands(50) + setCommands(44)));

    // A key held down: fifty changes before the event loop gets a turn.
    for (int level = 1; level <= 50; ++level)
        change(level);
    ASSERT_EVENTUALLY(bothAt(50));
    EXPECT_LE(luminanceLog().size(), 4 + 2 * 2) << "no backlog of stale levels";

    // A change during a slow step is followed once that step is done.
    m1ddc.script({"display * set luminance *\tsleep=300\tout=$5"});
    QTimer::singleShot(100, [&] { change(70); });
    change(60);
    ASSERT_EVENTUALLY(bothAt(70));
    EXPECT_EQ(controller().status(), "已跟随 MacBook 主屏：70%");
    EXPECT_EQ(inLanes(luminanceLog().mid(luminanceLog().size() - 4)),
              inLanes(setCommands(60) + setCommands(70)));
}

TEST_F(FollowEventsTest, ASourceThatEndsOrCannotNotifyLeavesThePoll) {
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    BacklightEvents pipeEvents(ends[0], QSocketNotifier::Read);
    QSignalSpy stopped(&pipeEvents, &BacklightEvents::stopped);
    close(ends[1]);
    ASSERT_TRUE(stopped.wait(5000));
    EXPECT_FALSE(pipeEvents.isWatching());

    followFrom(50);
    setLevel(30);
    // The poll follows on its own.
    ASSERT_EVENTUALLY_EQ(controller().status(), QString("已跟随 MacBook 主屏：30%"));

    // A plain file is always ready for a poller: it must not be watched at all.
    const QTemporaryDir sys;
    QDir(sys.path()).mkpath("panel");
    for (const auto& [name, text] : {std::pair{"brightness", "5"},
                                     {"max_brightness", "10"},
                                     {"actual_brightness", "5"},
                                     {"type", "firmware"}}) {
        QFile file(sys.filePath(QString("panel/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    EXPECT_EQ(BacklightEvents::forBacklight(sys.path().toStdString()), nullptr);
    EXPECT_EQ(BacklightEvents::forBacklight("/nonexistent"), nullptr);
}

TEST_F(FollowEventsTest, AClosedLidLeavesTheMonitorsAsTheyAre) {
    const QTemporaryDir drm;
    const auto panelConnector = [&](const QString& enabled, const QString& dpms) {
        writeConnector(drm, {"card0-eDP-1", "connected", enabled, dpms});
    };
    panelConnector("enabled", "On");
    SystemSleep sleep(QDBusConnection(QStringLiteral("no bus")));
    LinuxBuiltinPanel panel(displays, drm.path(), QDBusConnection(QStringLiteral("no bus")), sleep);
    controller().setBuiltinPanel(panel);
    followFrom(60);

    // Lid open: 0 is the user's level.
    change(0);
    ASSERT_EVENTUALLY_EQ(controller().status(), QString("已跟随 MacBook 主屏：0%"));
    EXPECT_EQ(visibleWindows("blackout").size(), 2);
    change(50);
    ASSERT_EVENTUALLY_EQ(controller().status(), QString("已跟随 MacBook 主屏：50%"));
    const QStringList sent = panelctl.log() + luminanceLog();
    ASSERT_EVENTUALLY(visibleWindows("hud").isEmpty());
    EXPECT_EQ(inLanes(sent),
              inLanes(powerOn() + powerOff() + powerOn() + setCommands(60) + setCommands(50)));

    // Lid closed: the connector goes dark, then its screen goes and the backlight reads 0.
    panelConnector("disabled", "Off");
    displays.setScreens({wideScreen, monitorScreen});
    ASSERT_EVENTUALLY_EQ(controller().status(),
                         QString("内置显示屏已关闭，外接显示器保持当前亮度"));
    int writes = 0;
    QObject::connect(&controller(), &BrightnessController::objectWillChange, [&] { ++writes; });
    change(0);
    const int probes = brightness.calls() + 3;
    ASSERT_EVENTUALLY(brightness.calls() >= probes);
    EXPECT_EQ(writes, 0) << "nothing sent, nothing published, the status said once";
    EXPECT_EQ(inLanes(panelctl.log() + luminanceLog()), inLanes(sent));
    EXPECT_EQ(visibleWindows("blackout").size() + visibleWindows("hud").size(), 0);

    // Lid opened: the panel may read 0 for a moment, then its level is followed once.
    panelConnector("enabled", "On");
    setUpThreeScreens(displays);
    ASSERT_EVENTUALLY(brightness.calls() >= probes + 3);
    EXPECT_EQ(inLanes(panelctl.log() + luminanceLog()), inLanes(sent));
    change(70);
    ASSERT_EVENTUALLY_EQ(controller().status(), QString("已跟随 MacBook 主屏：70%"));
    EXPECT_EQ(inLanes(panelctl.log() + luminanceLog()), inLanes(sent + setCommands(70)));
    EXPECT_EQ(visibleWindows("hud").size(), 0) << "not a change the user made";
}

// logind's lid, as its manager object answers it over org.freedesktop.DBus.Properties.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
    Q_PROPERTY(bool LidClosed MEMBER lidClosed)

public:
    bool lidClosed = false;
};

TEST(LinuxBuiltinPanelTest, TheConnectorsTellADarkPanelAndALitOneWinsOverTheLid) {
    const struct {
        const char* name;
        QList<QStringList> connectors;
        bool lidClosed;
        bool isKnownOff;
    } rows[] = {
        {"no panel connector", {{"card0-HDMI-A-1", "connected", "disabled", "Off"}}, false, false},
        {"a lit panel", {{"card0-eDP-1", "connected", "enabled", "On"}}, false, false},
        {"a panel switched off", {{"card0-eDP-1", "connected", "disabled", "Off"}}, false, true},
        {"a blanked panel", {{"card1-LVDS-1", "connected", "enabled", "Off"}}, false, true},
        {"a board's unused panel connector",
         {{"card0-eDP-1", "disconnected", "disabled", "Off"}},
         false,
         false},
        {"one of two panels lit",
         {{"card0-eDP-1", "connected", "disabled", "Off"},
          {"card0-DSI-1", "connected", "enabled", "On"}},
         false,
         false},
        {"a closed lid over a lit panel",
         {{"card0-eDP-1", "connected", "enabled", "On"}},
         true,
         false},
        {"a closed lid, no connector to tell", {}, true, true},
        {"a closed lid over a dark panel",
         {{"card0-eDP-1", "connected", "disabled", "Off"}},
         true,
         true},
    };
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection logindSide = QDBusConnection::connectToBus(bus.address(), "logind");
    FakeLogind logind;
    ASSERT_TRUE(logindSide.registerService("org.freedesktop.login1"));
    ASSERT_TRUE(logindSide.registerObject("/org/freedesktop/login1", &logind,
                                          QDBusConnection::ExportAllProperties));
    const QDBusConnection system = QDBusConnection::connectToBus(bus.address(), "system");
    FakeDisplays noScreens;
    SystemSleep sleep(QDBusConnection(QStringLiteral("no bus")));
    for (const auto& row : rows) {
        logind.lidClosed = row.lidClosed;
        const QTemporaryDir drm;
        for (const QStringList& connector : row.connectors)
            writeConnector(drm, connector);
        const LinuxBuiltinPanel panel(noScreens, drm.path(), system, sleep);
        // logind answers in the order it is asked: once a later panel without connectors has its
        // answer, the row's panel has its own.
        const QTemporaryDir none;
        const LinuxBuiltinPanel witness(noScreens, none.path(), system, sleep);
        if (row.lidClosed)
            ASSERT_EVENTUALLY(witness.isKnownOff());
        EXPECT_EQ(panel.isKnownOff(), row.isKnownOff) << row.name;
    }
    QDBusConnection::disconnectFromBus("system");
    QDBusConnection::disconnectFromBus("logind");
}

} // namespace

#include "FollowEventsTest.moc"
