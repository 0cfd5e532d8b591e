#include "app/DBusInstance.h"
#include "app/LocalSocketInstance.h"
#include "app/LumoraApp.h"
#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/Eventually.h"
#include "support/FakeBrightness.h"
#include "support/PrivateBus.h"
#include "support/ScriptedTool.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>

using namespace lumora;
using namespace lumora::test;

namespace {

enum class Channel { SessionBus, LocalSocket };

std::string channelName(const ::testing::TestParamInfo<Channel>& info) {
    return info.param == Channel::SessionBus ? "SessionBus" : "LocalSocket";
}

QList<QWidget*> visibleLumoraWindows() {
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == "Lumora" && widget->isVisible())
            windows.append(widget);
    }
    return windows;
}

// Instances of one session, in this process: the bus's through connections of their own.
class SingleInstanceTest : public ::testing::TestWithParam<Channel> {
protected:
    void SetUp() override { ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start"; }

    void TearDown() override {
        instances.clear();
        for (const QString& name : connections)
            QDBusConnection::disconnectFromBus(name);
        qDeleteAll(visibleLumoraWindows());
    }

    SingleInstance& start() {
        const QString name = QStringLiteral("start-%1").arg(instances.size());
        if (GetParam() == Channel::SessionBus) {
            connections.append(name);
            instances.push_back(std::make_unique<DBusInstance>(
                QDBusConnection::connectToBus(bus.address(), name), "io.github.lumora.Test"));
        } else {
            instances.push_back(
                std::make_unique<LocalSocketInstance>(folder.filePath("io.github.lumora.Test")));
        }
        return *instances.back();
    }

    PrivateBus bus;
    QTemporaryDir folder;
    QStringList connections;
    std::vector<std::unique_ptr<SingleInstance>> instances;
};

TEST_P(SingleInstanceTest, ASecondStartShowsTheClosedWindowAgain) {
    ScriptedTool tool;
    tool.script(ScriptedTool::monitorsAt(50, 100));
    FakeBrightness brightness;
    FakeDisplays displays;
    FakeLoginItem loginItem;
    LumoraApp app(tool.config(), displays, loginItem);

    SingleInstance& first = start();
    const Result<SingleInstance::Claim, QString> owner = first.claim();
    ASSERT_TRUE(owner.ok()) << owner.failure().toStdString();
    ASSERT_EQ(owner.value(), SingleInstance::Claim::ThisProcess);
    QObject::connect(&first, &SingleInstance::activated, [&] { app.showWindow(); });
    app.showWindow();
    ASSERT_EQ(visibleLumoraWindows().size(), 1);
    visibleLumoraWindows().first()->close();
    ASSERT_EVENTUALLY(visibleLumoraWindows().isEmpty());

    const Result<SingleInstance::Claim, QString> later = start().claim();
    ASSERT_TRUE(later.ok()) << later.failure().toStdString();
    EXPECT_EQ(later.value(), SingleInstance::Claim::HandedOver);
    ASSERT_EVENTUALLY_EQ(visibleLumoraWindows().size(), 1);
    EXPECT_EQ(tool.log().size(), 4) << "one controller, one first refresh";
}

// The application itself, copied with fake tools and a fake brightness library beside it, as
// it is installed: started twice at once, following, switching the backlight off, then ended
// by SIGTERM while a tool hangs.
class Desk {
public:
    Desk() {
        QFile::copy(LUMORA_APPLICATION, path("lumora"));
        QFile::link(LUMORA_FAKE_TOOL, path("lumora-ddc"));
        QFile::link(LUMORA_FAKE_TOOL, path("panelctl"));
        QFile::copy(LUMORA_FAKE_BRIGHTNESS_LIBRARY, path("libDisplayServices.so"));
        QDir(m_folder.path()).mkdir("run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        script("lumora-ddc", {"detect --tabs\tout=2\\t1111111111111\\tMi 27 NU\\t4\\t1\\n"
                              "3\\t2222222222222\\tMi Monitor\\t5\\t1\\n",
                              "display * get luminance\tout=50", "display * max luminance\tout=100",
                              "display * set luminance *\tout=$5",
                              "--noverify display * set luminance *\tout=$6"});
        script("panelctl", {});
        level("fail");
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }

    void script(const QString& tool, const QStringList& rules) const {
        QFile file(path(tool + ".script"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(rules.join('\n').toUtf8() + '\n');
    }

    QStringList log(const QString& tool) const {
        QFile file(path(tool + ".log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    void level(const QString& fraction) const {
        QFile file(path("brightness"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(fraction.toUtf8());
    }

    std::unique_ptr<QProcess> start(const QString& busAddress) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", path("config"));
        environment.insert("XDG_RUNTIME_DIR", path("run"));
        environment.insert("LUMORA_FAKE_BRIGHTNESS_FILE", path("brightness"));
        environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProgram(path("lumora"));
        process->start();
        return process;
    }

    // Processes whose program lies in this folder, the application and its tools alike.
    int processesLeft() const {
        int count = 0;
        for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
            QFile cmdline("/proc/" + pid + "/cmdline");
            if (cmdline.open(QIODevice::ReadOnly) &&
                cmdline.readAll().startsWith(m_folder.path().toUtf8() + '/'))
                ++count;
        }
        return count;
    }

private:
    QTemporaryDir m_folder;
};

qsizetype countOf(const QStringList& lines, const QString& line) {
    return lines.count(line);
}

TEST_P(SingleInstanceTest, TwoStartsFollowWithOneControllerAndQuitLeavesTheMonitorsOn) {
    const Desk desk;
    const QString address =
        GetParam() == Channel::SessionBus ? bus.address() : "unix:path=" + desk.path("no-bus-here");
    const std::unique_ptr<QProcess> processes[] = {desk.start(address), desk.start(address)};
    const auto running = [&] {
        return std::count_if(std::begin(processes), std::end(processes),
                             [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    ASSERT_EVENTUALLY_EQ(running(), 1);
    QProcess& later = processes[0]->state() == QProcess::NotRunning ? *processes[0] : *processes[1];
    QProcess& owner = &later == processes[0].get() ? *processes[1] : *processes[0];
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();

    desk.level("0.4");
    // Each monitor's lane sends its own set: wait for both.
    ASSERT_EVENTUALLY(desk.log("lumora-ddc").contains("--noverify display 2 set luminance 40") &&
                      desk.log("lumora-ddc").contains("--noverify display 3 set luminance 40"));
    const QStringList luminance = desk.log("lumora-ddc");
    EXPECT_EQ(countOf(luminance, "display 2 get luminance"), 1) << "one first refresh";
    EXPECT_EQ(countOf(luminance, "--noverify display 2 set luminance 40"), 1);
    EXPECT_EQ(countOf(luminance, "--noverify display 3 set luminance 40"), 1);

    // The switch-offs never answer: the quit comes while both run, each in its monitor's lane.
    desk.script("panelctl", {"setvcp --noverify --sn * 0xD6 0x04\thang"});
    desk.level("0");
    const auto bothOff = [&] {
        const QStringList power = desk.log("panelctl");
        return power.contains("setvcp --noverify --sn 1111111111111 0xD6 0x04") &&
               power.contains("setvcp --noverify --sn 2222222222222 0xD6 0x04");
    };
    ASSERT_EVENTUALLY(bothOff());
    const qsizetype beforeQuit = desk.log("panelctl").size();

    ::kill(pid_t(owner.processId()), SIGTERM);
    ASSERT_TRUE(owner.waitForFinished(15'000));
    EXPECT_EQ(owner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(owner.exitCode(), 0);
    const QStringList afterQuit = desk.log("panelctl").mid(beforeQuit);
    EXPECT_EQ(afterQuit.size(), 4) << afterQuit.join('\n').toStdString();
    EXPECT_EQ(countOf(afterQuit, "setvcp --noverify --sn 1111111111111 0xD6 0x01"), 2);
    EXPECT_EQ(countOf(afterQuit, "setvcp --noverify --sn 2222222222222 0xD6 0x01"), 2);
    EXPECT_EQ(desk.processesLeft(), 0) << "the hanging tool was stopped, not orphaned";
}

INSTANTIATE_TEST_SUITE_P(Channels, SingleInstanceTest,
                         ::testing::Values(Channel::SessionBus, Channel::LocalSocket), channelName);

} // namespace
