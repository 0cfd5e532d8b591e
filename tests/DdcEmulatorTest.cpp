#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// The real tools, libddcutil's detection included, against two emulated monitors at the i2c-dev
// level: A on /dev/i2c-4 is Lumora's display 2, B on /dev/i2c-5 its display 3 (by serial).
namespace {

const QString serialA = "1111111111111", serialB = "2222222222222";

struct ToolRun {
    int status = -1;
    QString out;
    QStringList errorLines;
};

class EmulatedDesk {
public:
    EmulatedDesk() {
        for (const auto& [bus, serial] : {std::pair{4, serialA}, std::pair{5, serialB}}) {
            QDir(root.path()).mkpath(monitor(bus) + "/vcp");
            write(monitor(bus) + "/serial", serial);
        }
        QDir(root.path()).mkpath("home");
        QDir(root.path()).mkpath("run");
        chmod(root.filePath("run").toUtf8(), 0700);
    }

    QString monitor(int bus) const { return root.filePath("state/i2c-" + QString::number(bus)); }
    QString path(const QString& name) const { return root.filePath(name); }
    void write(const QString& file, const QString& text) const {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
    }
    void fault(int bus, const QString& words) const { write(monitor(bus) + "/faults", words); }
    // The I2C messages the bus carried, one line each: time, process, read or write, address...
    QStringList log(int bus) const {
        QFile in(monitor(bus) + "/log");
        return in.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(in.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }
    void flag(const QString& name) const { write(root.filePath("state/" + name), ""); }
    // The luminance the monitor holds, "" while nobody has set it.
    QString luminance(int bus) const {
        QFile in(monitor(bus) + "/vcp/10");
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).trimmed() : "";
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", LUMORA_DDC_MONITOR_PRELOAD);
        environment.insert("LUMORA_DDC_EMULATOR", root.filePath("state"));
        environment.insert("HOME", root.filePath("home"));
        environment.insert("XDG_RUNTIME_DIR", root.filePath("run"));
        environment.remove("XDG_CACHE_HOME");
        return environment;
    }
    void start(QProcess& process, const QString& program, const QStringList& arguments) const {
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
    }
    static ToolRun finish(QProcess& process) {
        if (!process.waitForFinished(20000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts)};
    }
    ToolRun run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        start(process, program, arguments);
        return finish(process);
    }
    ToolRun luminance(const QStringList& arguments) const {
        return run(LUMORA_DDC_BY_SERIAL, arguments);
    }

    QTemporaryDir root;
};

struct FaultCase {
    const char* name;
    const char* fault;
    bool warmCache;
    int status; // 1 DDC/CI failed, 3 not found, 4 the cached bus is out of reach
};

class MonitorFaultTest : public ::testing::TestWithParam<FaultCase> {};

// Whatever is wrong with A, display 2 fails with one line and display 3 stays B.
TEST_P(MonitorFaultTest, FailsItsOwnNumberOnly) {
    const EmulatedDesk desk;
    if (GetParam().warmCache) {
        ASSERT_EQ(desk.luminance({"display", "2", "get", "luminance"}).status, 0);
        ASSERT_EQ(desk.luminance({"display", "3", "get", "luminance"}).status, 0);
    }
    desk.fault(4, GetParam().fault);

    const ToolRun failed = desk.luminance({"display", "2", "set", "luminance", "77"});
    EXPECT_EQ(failed.status, GetParam().status);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.errorLines.size(), 1) << failed.errorLines.join('\n').toStdString();
    EXPECT_EQ(desk.luminance(5), "") << "B is not touched";

    const ToolRun other = desk.luminance({"display", "3", "set", "luminance", "66"});
    EXPECT_EQ(other.status, 0) << other.errorLines.join('\n').toStdString();
    EXPECT_EQ(other.out, "66\n");
    EXPECT_EQ(desk.luminance(5), "66 100");
    EXPECT_NE(desk.luminance(4), "77 100");
}

INSTANTIATE_TEST_SUITE_P(Faults, MonitorFaultTest,
                         ::testing::Values(FaultCase{"noAck", "nack", false, 1},
                                           FaultCase{"noAckCached", "nack", true, 1},
                                           FaultCase{"remoteIo", "nack-eremoteio", false, 1},
                                           FaultCase{"badChecksum", "bad-checksum", false, 1},
                                           FaultCase{"badChecksumCached", "bad-checksum", true, 1},
                                           FaultCase{"nullReplies", "null-reply", false, 1},
                                           FaultCase{"nullRepliesCached", "null-reply", true, 1},
                                           FaultCase{"noEdid", "no-edid", false, 3},
                                           FaultCase{"noEdidCached", "no-edid", true, 3},
                                           FaultCase{"unplugged", "unplugged", false, 3},
                                           FaultCase{"unpluggedCached", "unplugged", true, 3},
                                           FaultCase{"noAccess", "no-access", false, 3},
                                           FaultCase{"noAccessCached", "no-access", true, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DdcEmulatorTest, DetectListsEveryMonitorWithItsNumber) {
    const EmulatedDesk desk;
    desk.write(desk.monitor(5) + "/name", "Mi Monitor");
    desk.fault(4, "nack");
    const ToolRun detected = desk.luminance({"detect"});
    EXPECT_EQ(detected.status, 0);
    EXPECT_EQ(detected.out,
              "显示器 2\tEmulated 4\t序列号 1111111111111\t/dev/i2c-4\tDDC/CI 无应答\n"
              "显示器 3\tMi Monitor\t序列号 2222222222222\t/dev/i2c-5\tDDC/CI 可用\n");
}

// What the application runs after a screen change: the monitor plugged back in is found at once.
TEST(DdcEmulatorTest, DetectWithTabsRenewsTheCache) {
    const EmulatedDesk desk;
    desk.write(desk.monitor(5) + "/name", "Mi Monitor");
    desk.fault(4, "no-edid"); // buses with nothing on them
    desk.fault(5, "no-edid");
    const ToolRun none = desk.luminance({"detect", "--tabs"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    desk.fault(4, "");
    desk.fault(5, "unplugged");
    EXPECT_EQ(desk.luminance({"display", "3", "get", "luminance"}).status, 3);
    desk.fault(5, "");
    EXPECT_EQ(desk.luminance({"display", "3", "get", "luminance"}).status, 3) << "a fresh cache";
    EXPECT_EQ(desk.luminance({"detect", "--tabs"}).out,
              "2\t1111111111111\tEmulated 4\t4\t1\n3\t2222222222222\tMi Monitor\t5\t1\n");
    EXPECT_EQ(desk.luminance({"display", "3", "get", "luminance"}).out, "50\n");

    QFile cache(desk.path("home/.cache/lumora/ddc-displays"));
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
    cache.write("\x93\x07\xff\tgarbage\n\n");
    cache.close();
    EXPECT_EQ(desk.luminance({"display", "2", "get", "luminance"}).out, "50\n") << "no cache";
}

// While the DRM connectors show the monitors of the last detection, detect answers from the cache
// and no bus carries a message; another monitor on a connector means a detection.
TEST(DdcEmulatorTest, DetectCostsNoBusTimeWhileTheConnectorsAgree) {
    const EmulatedDesk desk;
    desk.write(desk.monitor(4) + "/connector", "DP-1");
    desk.write(desk.monitor(5) + "/connector", "HDMI-A-1");
    const QString listed = desk.luminance({"detect", "--tabs"}).out;
    QFile::remove(desk.monitor(4) + "/log");
    QFile::remove(desk.monitor(5) + "/log");
    EXPECT_EQ(desk.luminance({"detect", "--tabs"}).out, listed);
    EXPECT_EQ((desk.log(4) + desk.log(5)).join('\n').toStdString(), "");

    const QString virtualScreen = desk.path("state/sys/class/drm/card0-Virtual-1");
    QDir().mkpath(virtualScreen);
    desk.write(virtualScreen + "/status", "connected\n");
    desk.luminance({"detect", "--tabs"});
    EXPECT_FALSE(desk.log(5).isEmpty()) << "a connected connector on no bus: buses unknown";
    QDir(virtualScreen).removeRecursively();
    desk.write(desk.monitor(4) + "/serial", "3333333333333");
    EXPECT_TRUE(desk.luminance({"detect", "--tabs"}).out.startsWith("0\t3333333333333\t"));
}

// Without serial text in its EDID, a monitor is named by its EDID token, and found by it.
TEST(DdcEmulatorTest, AMonitorWithoutSerialTextIsNamedByItsEdid) {
    const EmulatedDesk desk;
    desk.fault(4, "no-serial");
    const QString token = "\\edid:32ad040004000000";
    EXPECT_TRUE(desk.luminance({"detect", "--tabs"}).out.startsWith("0\t" + token + "\t"));
    EXPECT_EQ(desk.run(LUMORA_PANELCTL, {"setvcp", "--sn", token, "0xD6", "4"}).status, 0);
    EXPECT_EQ(desk.luminance({"--sn", token, "get", "luminance"}).out, "50\n");
}

// The follow path's command: once the maximum is known, the identity check and the set alone
// reach the bus (the identity from the DRM connector, or a few EDID bytes without one), and a
// monitor swapped on the bus is never driven by the old number.
TEST(DdcEmulatorTest, FastSetSendsTheSetAlone) {
    for (const bool connector : {false, true}) {
        const EmulatedDesk desk;
        if (connector)
            desk.write(desk.monitor(5) + "/connector", "DP-2");
        const QStringList fast = {"--noverify", "display", "3", "set", "luminance"};
        EXPECT_EQ(desk.luminance(fast + QStringList{"120"}).out, "100\n") << "clamped";
        QFile::remove(desk.monitor(5) + "/log");

        const ToolRun set = desk.luminance(fast + QStringList{"70"});
        EXPECT_EQ(set.out, "70\n") << set.errorLines.join('\n').toStdString();
        EXPECT_EQ(desk.luminance(5), "70 100");
        const QStringList log = desk.log(5);
        EXPECT_EQ(log.filter(" 0x37 ").size(), 1) << log.join('\n').toStdString();
        EXPECT_EQ(log.filter(" write 0x37 ").size(), 1) << "the set: no get, no read-back";
        EXPECT_EQ(log.filter(" 0x50 ").size(), connector ? 0 : 4);

        desk.write(desk.monitor(5) + "/serial", "3333333333333");
        const ToolRun swapped = desk.luminance(fast + QStringList{"20"});
        EXPECT_EQ(swapped.status, 3);
        EXPECT_EQ(desk.luminance(5), "70 100") << "the new monitor is left alone";
    }
}

TEST(DdcEmulatorTest, AMonitorThatIgnoresTheSetFails) {
    const EmulatedDesk desk;
    desk.fault(5, "ignore-set");
    for (const QStringList& command : {QStringList{"display", "3", "set", "luminance", "66"},
                                       QStringList{"--sn", serialB, "chg", "luminance", "16"}}) {
        const ToolRun ignored = desk.luminance(command);
        EXPECT_EQ(ignored.status, 1);
        EXPECT_EQ(ignored.out, "");
        EXPECT_EQ(ignored.errorLines,
                  QStringList{"DDC 校验失败：显示器没有接受功能 0x10 的值 66（读回 50）"});
    }
}

// Files planted where the cache goes: none hangs the tool, none is followed.
TEST(DdcEmulatorTest, HostileCacheFilesAreNeitherReadNorFollowed) {
    const EmulatedDesk desk;
    const QString cache = desk.path("home/.cache/lumora/ddc-displays");
    QDir().mkpath(desk.path("home/.cache/lumora"));
    ASSERT_EQ(mkfifo(cache.toUtf8(), 0600), 0);
    EXPECT_EQ(desk.luminance({"display", "3", "get", "luminance"}).out, "50\n");
    QFile::remove(cache);
    ASSERT_TRUE(QFile::link("/dev/urandom", cache));
    EXPECT_EQ(desk.luminance({"display", "3", "get", "luminance"}).out, "50\n");
    EXPECT_FALSE(QFileInfo(cache).isSymLink()) << "replaced by a file of our own";

    // A shared folder, someone else's, with links planted for the cache and its temporary file.
    const QString shared = desk.path("shared/lumora");
    QDir().mkpath(shared);
    desk.write(desk.path("victim"), "kept\n");
    for (const QString& name : QStringList{"ddc-displays", "ddc-displays.XXXXXX"})
        ASSERT_TRUE(QFile::link(desk.path("victim"), shared + "/" + name));
    for (const QString& folder : {desk.path("shared"), shared}) {
        chmod(folder.toUtf8(), 0777);
        ASSERT_EQ(chown(folder.toUtf8(), 65534, 65534), 0) << "the tests run as root";
    }
    QProcessEnvironment environment = desk.environment();
    environment.insert("XDG_CACHE_HOME", desk.path("shared"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(LUMORA_DDC_BY_SERIAL, {"display", "3", "set", "luminance", "60"});
    EXPECT_EQ(EmulatedDesk::finish(process).out, "60\n");
    QFile victim(desk.path("victim"));
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "kept\n");
    EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::System).size(), 2);
}

// B drops every message within 50 ms of a set, as a real monitor may: the pause must hold
// between processes, and two processes must not interleave their exchanges.
TEST(DdcEmulatorTest, ProcessesTakeTurnsAndKeepThePauseAfterASet) {
    const EmulatedDesk desk;
    desk.flag("reply-delay");
    ASSERT_EQ(desk.luminance({"display", "3", "get", "luminance"}).status, 0);
    desk.fault(5, "drop-after-set");

    const ToolRun power =
        desk.run(LUMORA_PANELCTL, {"setvcp", "--noverify", "--sn", serialB, "0x10", "30"});
    ASSERT_EQ(power.status, 0) << power.errorLines.join('\n').toStdString();
    const ToolRun next = desk.luminance({"display", "3", "set", "luminance", "40"});
    EXPECT_EQ(next.status, 0) << next.errorLines.join('\n').toStdString();
    EXPECT_EQ(next.out, "40\n");

    for (int round = 0; round < 3; ++round) {
        QProcess first, second;
        desk.start(first, LUMORA_DDC_BY_SERIAL, {"display", "3", "set", "luminance", "20"});
        desk.start(second, LUMORA_DDC_BY_SERIAL, {"display", "3", "chg", "luminance", "+5"});
        const ToolRun one = EmulatedDesk::finish(first), two = EmulatedDesk::finish(second);
        EXPECT_EQ(one.status, 0) << one.errorLines.join('\n').toStdString();
        EXPECT_EQ(two.status, 0) << two.errorLines.join('\n').toStdString();
    }
}

} // namespace
