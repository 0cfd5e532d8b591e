#include "ddc/CachedDirectory.h"
#include "ddc/DdcPacket.h"
#include "ddc/I2cDdcDevice.h"
#include "ddc/PluginDetector.h"
#include "lumora-ddc/LuminanceCommand.h"
#include "panelctl/PanelctlCommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace lumora::ddc;
using lumora::Result;

namespace {

// ---- Fakes of the hardware side ----

struct FakeMonitor {
    uint16_t current = 50;
    uint16_t maximum = 100;
    std::vector<std::tuple<uint8_t, uint16_t, bool>> sets;
    std::optional<Failure> failure;
};

FakeMonitor monitorAt(uint16_t current, uint16_t maximum) {
    FakeMonitor monitor;
    monitor.current = current;
    monitor.maximum = maximum;
    return monitor;
}

class FakeDevice : public DdcDevice {
public:
    explicit FakeDevice(FakeMonitor& monitor) : m_monitor(monitor) {}
    Result<VcpValue, Failure> getVcp(uint8_t) override {
        if (m_monitor.failure)
            return *m_monitor.failure;
        return VcpValue{m_monitor.current, m_monitor.maximum};
    }
    Result<void, Failure> setVcp(uint8_t feature, uint16_t value, bool verify) override {
        if (m_monitor.failure)
            return *m_monitor.failure;
        m_monitor.sets.emplace_back(feature, value, verify);
        m_monitor.current = value;
        return {};
    }

private:
    FakeMonitor& m_monitor;
};

// Monitors found by serial or number, as a detection would.
class FakeDirectory : public DisplayDirectory {
public:
    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) override {
        for (auto& [record, monitor] : monitors) {
            if (target.matches(record))
                return std::unique_ptr<DdcDevice>(std::make_unique<FakeDevice>(monitor));
        }
        return Failure{Failure::Kind::NotFound, "找不到" + target.describe()};
    }

    std::vector<std::pair<DisplayRecord, FakeMonitor>> monitors;
};

std::vector<uint8_t> edidWithSerial(uint8_t mark) {
    std::vector<uint8_t> edid(128, 0);
    edid[0x7F] = mark;
    return edid;
}

// A bus with an EDID at 0x50 and scripted replies at 0x37.
class FakeBus : public I2cBus {
public:
    Result<void, Failure> write(uint8_t address, const std::vector<uint8_t>& bytes) override {
        writes.emplace_back(address, bytes);
        return {};
    }
    Result<std::vector<uint8_t>, Failure> read(uint8_t address, size_t count) override {
        if (address == packet::edidAddress)
            return edid;
        if (replies.empty())
            return communicationFailure("没有回答");
        std::vector<uint8_t> reply = replies.front();
        replies.pop_front();
        reply.resize(count);
        return reply;
    }
    void pause(int milliseconds) override { paused += milliseconds; }

    std::vector<uint8_t> edid;
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> writes;
    int paused = 0;
};

std::vector<uint8_t> vcpReply(uint8_t feature, uint16_t current, uint16_t maximum,
                              uint8_t result = 0) {
    std::vector<uint8_t> reply = {0x6E,
                                  0x88,
                                  0x02,
                                  result,
                                  feature,
                                  0x00,
                                  uint8_t(maximum >> 8),
                                  uint8_t(maximum & 0xFF),
                                  uint8_t(current >> 8),
                                  uint8_t(current & 0xFF)};
    uint8_t checksum = 0x50;
    for (const uint8_t byte : reply)
        checksum ^= byte;
    reply.push_back(checksum);
    return reply;
}

class FakeBuses : public I2cBusOpener {
public:
    Result<std::unique_ptr<I2cBus>, Failure> open(int bus) override {
        opened.push_back(bus);
        const auto found = edids.find(bus);
        if (found == edids.end())
            return communicationFailure("没有这条总线");
        auto fake = std::make_unique<FakeBus>();
        fake->edid = found->second;
        fake->replies = replies;
        lastBus = fake.get();
        return std::unique_ptr<I2cBus>(std::move(fake));
    }

    std::map<int, std::vector<uint8_t>> edids;
    std::deque<std::vector<uint8_t>> replies;
    std::vector<int> opened;
    FakeBus* lastBus = nullptr;
};

class FakeDetector : public DisplayDetector {
public:
    Result<std::vector<DisplayRecord>, Failure> detect() override {
        ++detections;
        if (failure)
            return *failure;
        return records;
    }
    Result<std::unique_ptr<DdcDevice>, Failure> open(const DisplayRecord& record) override {
        openedNumbers.push_back(record.number);
        return std::unique_ptr<DdcDevice>(std::make_unique<FakeDevice>(monitor));
    }

    std::vector<DisplayRecord> records;
    std::optional<Failure> failure;
    int detections = 0;
    std::vector<int> openedNumbers;
    FakeMonitor monitor;
};

// ---- Command lines ----

struct PanelctlCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<SetVcpRequest> request;
    std::string message; // start of the error line for rejected forms
};

class PanelctlArguments : public ::testing::TestWithParam<PanelctlCase> {};

TEST_P(PanelctlArguments, ParseAsExpected) {
    const PanelctlCase& row = GetParam();
    const Result<SetVcpRequest, Failure> parsed = parsePanelctlCommandLine(row.arguments);
    if (row.request) {
        ASSERT_TRUE(parsed.ok()) << parsed.failure().message;
        EXPECT_EQ(parsed.value(), *row.request);
        return;
    }
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.failure().exitStatus(), 2);
    EXPECT_EQ(parsed.failure().message.rfind(row.message, 0), 0u) << parsed.failure().message;
}

const std::string sn = "1234567890123";

INSTANTIATE_TEST_SUITE_P(
    Forms, PanelctlArguments,
    ::testing::Values(
        PanelctlCase{"lumoraOff",
                     {"setvcp", "--noverify", "--sn", sn, "0xD6", "0x04"},
                     SetVcpRequest{sn, 0xD6, 4, false},
                     ""},
        PanelctlCase{"lumoraOn",
                     {"setvcp", "--noverify", "--sn", sn, "0xD6", "0x01"},
                     SetVcpRequest{sn, 0xD6, 1, false},
                     ""},
        PanelctlCase{"verifiedDecimal",
                     {"setvcp", "--sn", sn, "16", "65535"},
                     SetVcpRequest{sn, 0x10, 65535, true},
                     ""},
        PanelctlCase{"upperHexOptionLast",
                     {"setvcp", "--sn", sn, "0X10", "0XfF", "--noverify"},
                     SetVcpRequest{sn, 0x10, 255, false},
                     ""},
        PanelctlCase{"noCommand", {}, std::nullopt, "参数错误：第一个参数必须是 setvcp"},
        PanelctlCase{"otherCommand",
                     {"getvcp", "--sn", sn, "0x10"},
                     std::nullopt,
                     "参数错误：第一个参数必须是 setvcp"},
        PanelctlCase{"noSerial", {"setvcp", "0xD6", "0x01"}, std::nullopt, "参数错误：缺少 --sn"},
        PanelctlCase{"serialMissing",
                     {"setvcp", "0xD6", "0x01", "--sn"},
                     std::nullopt,
                     "参数错误：--sn 后面缺少序列号"},
        PanelctlCase{
            "oneOperand", {"setvcp", "--sn", sn, "0xD6"}, std::nullopt, "参数错误：需要功能码和值"},
        PanelctlCase{"threeOperands",
                     {"setvcp", "--sn", sn, "0xD6", "1", "2"},
                     std::nullopt,
                     "参数错误：需要功能码和值"},
        PanelctlCase{"featureTooBig",
                     {"setvcp", "--sn", sn, "256", "1"},
                     std::nullopt,
                     "参数错误：无效的功能码"},
        PanelctlCase{"valueTooBig",
                     {"setvcp", "--sn", sn, "0xD6", "0x10000"},
                     std::nullopt,
                     "参数错误：无效的值"},
        PanelctlCase{"negativeValue",
                     {"setvcp", "--sn", sn, "0xD6", "-1"},
                     std::nullopt,
                     "参数错误：无效的值"},
        PanelctlCase{"bareHexPrefix",
                     {"setvcp", "--sn", sn, "0x", "1"},
                     std::nullopt,
                     "参数错误：无效的功能码"},
        PanelctlCase{"unknownOption",
                     {"setvcp", "--force", "--sn", sn, "0xD6", "1"},
                     std::nullopt,
                     "参数错误：未知选项"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LuminanceCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<LuminanceRequest> request;
};

class LuminanceArguments : public ::testing::TestWithParam<LuminanceCase> {};

TEST_P(LuminanceArguments, ParseAsExpected) {
    const Result<LuminanceRequest, Failure> parsed =
        parseLuminanceCommandLine(GetParam().arguments);
    ASSERT_EQ(parsed.ok(), GetParam().request.has_value());
    if (parsed.ok())
        EXPECT_EQ(parsed.value(), *GetParam().request);
    else
        EXPECT_EQ(parsed.failure().exitStatus(), 2);
}

using A = LuminanceRequest::Action;
INSTANTIATE_TEST_SUITE_P(
    Forms, LuminanceArguments,
    ::testing::Values(
        LuminanceCase{"get", {"display", "2", "get", "luminance"}, LuminanceRequest{2, A::Get, 0}},
        LuminanceCase{"max", {"display", "3", "max", "luminance"}, LuminanceRequest{3, A::Max, 0}},
        LuminanceCase{"stepDown",
                      {"display", "2", "chg", "luminance", "-5"},
                      LuminanceRequest{2, A::Change, -5}},
        LuminanceCase{"stepUp",
                      {"display", "2", "chg", "luminance", "+5"},
                      LuminanceRequest{2, A::Change, 5}},
        LuminanceCase{
            "set", {"display", "3", "set", "luminance", "65"}, LuminanceRequest{3, A::Set, 65}},
        LuminanceCase{"noDisplayWord", {"monitor", "2", "get", "luminance"}, std::nullopt},
        LuminanceCase{"badNumber", {"display", "two", "get", "luminance"}, std::nullopt},
        LuminanceCase{"hexNumber", {"display", "0x2", "get", "luminance"}, std::nullopt},
        LuminanceCase{"otherProperty", {"display", "2", "get", "contrast"}, std::nullopt},
        LuminanceCase{"unknownAction", {"display", "2", "toggle", "luminance"}, std::nullopt},
        LuminanceCase{"missingAmount", {"display", "2", "set", "luminance"}, std::nullopt},
        LuminanceCase{"extraAmount", {"display", "2", "get", "luminance", "5"}, std::nullopt},
        LuminanceCase{"amountWithUnit", {"display", "2", "set", "luminance", "50%"}, std::nullopt},
        LuminanceCase{"amountOverflows",
                      {"display", "2", "chg", "luminance", "99999999999999999999"},
                      std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The tools' logic ----

class ToolLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.monitors.push_back({{2, 5, "1111111111111", {}}, monitorAt(40, 100)});
        directory.monitors.push_back({{3, 6, "2222222222222", {}}, monitorAt(70, 80)});
    }
    FakeMonitor& second() { return directory.monitors[1].second; }

    FakeDirectory directory;
};

TEST_F(ToolLogicTest, PanelctlSetsTheMonitorWithThatSerial) {
    const Outcome outcome =
        runPanelctl({"setvcp", "--noverify", "--sn", "2222222222222", "0xD6", "0x04"}, directory);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(second().sets.size(), 1u);
    EXPECT_EQ(second().sets[0], std::make_tuple(uint8_t(0xD6), uint16_t(4), false));
    EXPECT_TRUE(directory.monitors[0].second.sets.empty());
}

TEST_F(ToolLogicTest, PanelctlFailuresAreOneLineWithTheirStatus) {
    Outcome outcome = runPanelctl({"setvcp", "--sn", "9999999999999", "0xD6", "1"}, directory);
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.err, "找不到序列号为 9999999999999 的显示器\n");
    EXPECT_EQ(outcome.out, "");

    second().failure = communicationFailure("DDC 通信失败：DDCRC_RETRIES（重试次数用尽）");
    outcome = runPanelctl({"setvcp", "--sn", "2222222222222", "0xD6", "1"}, directory);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "DDC 通信失败：DDCRC_RETRIES（重试次数用尽）\n");

    outcome = runPanelctl({"setvcp"}, directory);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("\n用法：panelctl setvcp"), std::string::npos)
        << "bad usage shows the usage text";
}

TEST_F(ToolLogicTest, LuminanceAnswersAndClamps) {
    const auto run = [&](std::vector<std::string> arguments) {
        return runLuminance(arguments, directory);
    };
    EXPECT_EQ(run({"display", "3", "get", "luminance"}).out, "70\n");
    EXPECT_EQ(run({"display", "3", "max", "luminance"}).out, "80\n");
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "5"}).out, "75\n");
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "50"}).out, "80\n") << "clamped at max";
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "-500"}).out, "0\n") << "clamped at 0";
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "-9223372036854775808"}).out, "0\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "65"}).out, "65\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "120"}).out, "80\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "-3"}).out, "0\n");
    EXPECT_EQ(second().current, 0);
    for (const auto& set : second().sets)
        EXPECT_EQ(std::get<0>(set), luminanceFeature);

    const Outcome missing = run({"display", "9", "get", "luminance"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "找不到编号为 9 的显示器\n");
}

// ---- DDC/CI messages ----

TEST(DdcPacketTest, RequestsCarryTheirChecksum) {
    EXPECT_EQ(packet::getVcpRequest(0x10), std::vector<uint8_t>({0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(packet::setVcpRequest(0x10, 50),
              std::vector<uint8_t>({0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
}

TEST(DdcPacketTest, RepliesAreCheckedBeforeUse) {
    const std::vector<uint8_t> good = {0x6E, 0x88, 0x02, 0x00, 0x10, 0x00,
                                       0x00, 0x64, 0x00, 0x32, 0xF2};
    const std::optional<packet::VcpReply> parsed = packet::parseGetVcpReply(good, 0x10);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->supported);
    EXPECT_EQ(parsed->current, 50);
    EXPECT_EQ(parsed->maximum, 100);

    std::vector<uint8_t> corrupted = good;
    corrupted[9] = 0x33;
    EXPECT_EQ(packet::parseGetVcpReply(corrupted, 0x10), std::nullopt);
    EXPECT_EQ(packet::parseGetVcpReply(good, 0x12), std::nullopt) << "about another feature";
    EXPECT_EQ(packet::parseGetVcpReply({good.begin(), good.begin() + 10}, 0x10), std::nullopt);
    EXPECT_FALSE(packet::parseGetVcpReply(vcpReply(0x10, 0, 0, 0x01), 0x10)->supported);
}

TEST(I2cDdcDeviceTest, TalksDdcOnTheBus) {
    auto bus = std::make_unique<FakeBus>();
    FakeBus& wire = *bus;
    wire.replies = {vcpReply(0x10, 30, 100), vcpReply(0x10, 31, 100), vcpReply(0x10, 0, 0, 1)};
    I2cDdcDevice device(std::move(bus));

    const Result<VcpValue, Failure> value = device.getVcp(0x10);
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value.value().current, 30);
    EXPECT_EQ(wire.writes[0], std::make_pair(packet::displayAddress, packet::getVcpRequest(0x10)));
    EXPECT_GE(wire.paused, replyDelayMilliseconds);

    const Result<void, Failure> verified = device.setVcp(0x10, 30, true);
    ASSERT_FALSE(verified.ok());
    EXPECT_EQ(verified.failure().message, "DDC 校验失败：功能 0x10 设置为 30，读回 31");

    const Result<VcpValue, Failure> unsupported = device.getVcp(0x10);
    ASSERT_FALSE(unsupported.ok());
    EXPECT_EQ(unsupported.failure().message, "DDC 通信失败：显示器不支持功能 0x10");
}

// ---- Detection and its cache ----

class CachedDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        detector.records = {{1, 3, "AAAAAAAAAAAAA", edidWithSerial(1)},
                            {2, 5, "1111111111111", edidWithSerial(2)},
                            {3, 6, "2222222222222", edidWithSerial(3)}};
        buses.edids = {{3, edidWithSerial(1)}, {5, edidWithSerial(2)}, {6, edidWithSerial(3)}};
    }

    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) {
        CachedDirectory directory(cache, buses, detector);
        return directory.open(target);
    }

    QTemporaryDir folder;
    DisplayCache cache{folder.filePath("lumora/ddc-displays").toStdString()};
    FakeBuses buses;
    FakeDetector detector;
};

TEST_F(CachedDirectoryTest, DetectsOnceThenUsesTheCachedBus) {
    ASSERT_TRUE(open({.number = 3, .serial = {}}).ok());
    EXPECT_EQ(detector.detections, 1);
    EXPECT_EQ(detector.openedNumbers, std::vector<int>({3}));
    EXPECT_EQ(cache.load(), detector.records);

    Result<std::unique_ptr<DdcDevice>, Failure> device =
        open({.number = std::nullopt, .serial = "2222222222222"});
    ASSERT_TRUE(device.ok());
    EXPECT_EQ(detector.detections, 1) << "served from the cache";
    EXPECT_EQ(buses.opened.back(), 6);
    ASSERT_TRUE(device.value()->setVcp(0xD6, 4, false).ok());
    EXPECT_EQ(buses.lastBus->writes.back(),
              std::make_pair(packet::displayAddress, packet::setVcpRequest(0xD6, 4)));
}

TEST_F(CachedDirectoryTest, AnotherMonitorOnTheBusMeansDetectingAgain) {
    ASSERT_TRUE(open({.number = 2, .serial = {}}).ok());
    buses.edids[5] = edidWithSerial(9);
    detector.records[1].edid = edidWithSerial(9);
    ASSERT_TRUE(open({.number = 2, .serial = {}}).ok());
    EXPECT_EQ(detector.detections, 2);
    EXPECT_EQ(cache.load()[1].edid, edidWithSerial(9)) << "the cache is renewed";

    buses.edids.erase(5);
    ASSERT_TRUE(open({.number = 2, .serial = {}}).ok());
    EXPECT_EQ(detector.detections, 3) << "a bus that cannot be opened is detected again";
}

TEST_F(CachedDirectoryTest, NotFoundAndDetectionFailures) {
    const Result<std::unique_ptr<DdcDevice>, Failure> missing = open({.number = 7, .serial = {}});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().exitStatus(), 3);
    EXPECT_EQ(missing.failure().message, "找不到编号为 7 的显示器");

    detector.failure = Failure{Failure::Kind::NoAccess, "无权读写 /dev/i2c-*"};
    const Result<std::unique_ptr<DdcDevice>, Failure> denied = open({.number = 7, .serial = {}});
    ASSERT_FALSE(denied.ok());
    EXPECT_EQ(denied.failure().exitStatus(), 4);
}

TEST(DisplayCacheTest, SkipsWhatItCannotRead) {
    QTemporaryDir folder;
    const std::string file = folder.filePath("cache").toStdString();
    {
        QFile out(QString::fromStdString(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("1\t3\tSN\t00ff\nnot a record\n2\tx\tSN\t00\n3\t4\tSN\t0g\n4\t5\tS N\t01\n");
    }
    const std::vector<DisplayRecord> records = DisplayCache(file).load();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (DisplayRecord{1, 3, "SN", {0x00, 0xFF}}));
    EXPECT_EQ(records[1], (DisplayRecord{4, 5, "S N", {0x01}}));
    EXPECT_TRUE(DisplayCache(folder.filePath("missing").toStdString()).load().empty());
}

// ---- The real library and binaries on this machine ----

TEST(PluginDetectorTest, LoadsTheLibraryQuietly) {
    QTemporaryDir devices;
    QFile(devices.filePath("i2c-99")).open(QIODevice::WriteOnly); // a node that can be opened
    PluginDetector detector(LUMORA_DDC_PLUGIN, devices.path().toStdString());

    QTemporaryDir captured;
    const std::string capture = captured.filePath("out").toStdString();
    const int saved = dup(STDOUT_FILENO);
    const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDOUT_FILENO);
    const Result<std::vector<DisplayRecord>, Failure> detected = detector.detect();
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    ::close(file);
    ::close(saved);

    ASSERT_TRUE(detected.ok()) << detected.failure().message;
    QFile out(QString::fromStdString(capture));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray()) << "the library's chatter stays out of stdout";

    QTemporaryDir empty;
    EXPECT_EQ(PluginDetector::checkI2cAccess(empty.path().toStdString()).failure().message,
              "没有 I2C 设备（" + empty.path().toStdString() +
                  "/i2c-*）：请加载 i2c-dev 模块（modprobe i2c-dev）");
}

TEST(DdcBinariesTest, FailFastAndCleanlyWithoutI2c) {
    const bool hasI2c = !QDir("/dev").entryList({"i2c-*"}, QDir::System).isEmpty();
    const QList<std::pair<QString, QStringList>> runs = {
        {LUMORA_PANELCTL, {"setvcp", "--noverify", "--sn", "1234567890123", "0xD6", "0x04"}},
        {LUMORA_LUMINANCE_TOOL, {"display", "2", "get", "luminance"}},
        {LUMORA_LUMINANCE_TOOL, {"display", "2", "set", "luminance", "40"}},
    };
    for (const auto& [program, arguments] : runs) {
        SCOPED_TRACE((program + " " + arguments.join(' ')).toStdString());
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1);
        if (!hasI2c) {
            EXPECT_EQ(process.exitCode(), 4);
            EXPECT_EQ(lines[0],
                      "没有 I2C 设备（/dev/i2c-*）：请加载 i2c-dev 模块（modprobe i2c-dev）");
        }
    }

    QProcess usage;
    usage.start(LUMORA_PANELCTL, {"setvcp", "--sn"});
    ASSERT_TRUE(usage.waitForFinished(10000));
    EXPECT_EQ(usage.exitCode(), 2);
    EXPECT_EQ(usage.readAllStandardOutput(), QByteArray());
    EXPECT_TRUE(QString::fromUtf8(usage.readAllStandardError()).contains("用法：panelctl"));
}

} // namespace
