#include "ddc/CachedDirectory.h"
#include "ddc/BusLock.h"
#include "ddc/DdcPacket.h"
#include "fakes/FakeBus.h"
#include "fakes/FakeMonitor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

using namespace lumora::ddc;
using lumora::Result;
using namespace lumora::ddc::test;

namespace {

DisplayRecord detected(int bus, std::string serial, uint8_t mark) {
    return {.number = 0,
            .bus = bus,
            .serial = std::move(serial),
            .edid = edidWithSerial(mark),
            .name = {},
            .ddc = true,
            .maximum = {}};
}

// Detection remembered in a cache file, checked against the EDID on the cached bus; numbers by
// the order of the buses (the placeholder serials).
class CachedDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        detector.records = {detected(3, "AAAAAAAAAAAAA", 1), detected(5, "1111111111111", 2),
                            detected(6, "2222222222222", 3)};
        buses.edids = {{3, edidWithSerial(1)}, {5, edidWithSerial(2)}, {6, edidWithSerial(3)}};
    }

    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) {
        CachedDirectory directory(cache, numbering, buses, detector, connectors);
        return directory.open(target);
    }
    // Ages the cache's detection by `age` (negative: from the future).
    void detectedAgo(std::chrono::seconds age) {
        DisplayCache::Contents contents = *cache.load();
        contents.detected = std::chrono::system_clock::now() - age;
        cache.save(contents);
    }
    static Target number(int n) { return {.number = n, .serial = {}}; }

    QTemporaryDir folder;
    DisplayCache cache{PrivateFolder::open(folder.filePath("lumora").toStdString())};
    Numbering numbering{placeholderSerials};
    FakeBuses buses;
    FakeDetector detector;
    DrmConnectors connectors{folder.filePath("drm").toStdString()};
};

TEST_F(CachedDirectoryTest, DetectsOnceThenUsesTheCachedBus) {
    ASSERT_TRUE(open(number(3)).ok());
    EXPECT_EQ(detector.detections, 1);
    EXPECT_EQ(buses.opened, std::vector<int>({5}));
    ASSERT_EQ(cache.load()->records.size(), 3u);
    EXPECT_EQ(cache.load()->records[2].number, 0) << "a third monitor has no number";

    Result<std::unique_ptr<DdcDevice>, Failure> device = open({std::nullopt, "2222222222222"});
    ASSERT_TRUE(device.ok());
    EXPECT_EQ(detector.detections, 1) << "served from the cache";
    EXPECT_EQ(buses.opened.back(), 6);
    ASSERT_TRUE(device.value()->setVcp(0xD6, 4, false).ok());
    EXPECT_EQ(buses.lastBus->writes.back(),
              std::make_pair(packet::displayAddress, packet::setVcpRequest(0xD6, 4)));
    EXPECT_EQ(buses.lastBus->heldOff, 50) << "the pause after a set is left for the next message";
}

TEST_F(CachedDirectoryTest, AnotherMonitorOnTheBusMeansDetectingAgain) {
    ASSERT_TRUE(open(number(2)).ok());
    buses.edids[3] = edidWithSerial(9);
    detector.records[0].edid = edidWithSerial(9);
    ASSERT_TRUE(open({std::nullopt, "AAAAAAAAAAAAA"}).ok());
    EXPECT_EQ(detector.detections, 2);
    EXPECT_EQ(cache.load()->records[0].edid, edidWithSerial(9)) << "the cache is renewed";
}

TEST_F(CachedDirectoryTest, AMissingMonitorKeepsItsNumberAndCostsOneDetection) {
    ASSERT_TRUE(open(number(2)).ok());
    buses.edids.erase(3);
    detector.records = {detector.records[1]}; // no monitor left that needs a number

    const Result<std::unique_ptr<DdcDevice>, Failure> missing = open(number(2));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().exitStatus(), 3);
    EXPECT_EQ(missing.failure().message, "找不到编号为 2 的显示器");
    EXPECT_EQ(detector.detections, 2);
    EXPECT_FALSE(open(number(2)).ok());
    EXPECT_EQ(detector.detections, 2) << "asked again soon after, it fails without detecting";
    detectedAgo(std::chrono::seconds(-60));
    EXPECT_FALSE(open(number(2)).ok());
    EXPECT_EQ(detector.detections, 3) << "a detection from the future is stale";

    ASSERT_TRUE(open(number(3)).ok());
    EXPECT_EQ(buses.opened.back(), 5) << "the other monitor keeps its number";
}

// The maximum stays with the monitor until a detection; the identity costs the bus only the
// EDID's identifying bytes, or nothing where a DRM connector holds the EDID.
TEST_F(CachedDirectoryTest, KeepsTheMaximumAndChecksTheIdentityCheaply) {
    std::vector<uint8_t> serialText = edidWithSerial(3);
    serialText[72 + 3] = 0xFF;
    serialText[72 + 5] = 'B';
    detector.records[2].edid = buses.edids[6] = serialText;
    CachedDirectory directory(cache, numbering, buses, detector, connectors);
    const Target bySerial{std::nullopt, "2222222222222"};
    ASSERT_TRUE(directory.open(bySerial).ok());
    EXPECT_EQ(directory.maximum(bySerial), std::nullopt);
    directory.rememberMaximum(bySerial, 80);

    ASSERT_TRUE(directory.open(bySerial).ok());
    EXPECT_EQ(directory.maximum(bySerial), 80);
    EXPECT_EQ(buses.lastBus->edidBytesRead, 10u + 18u) << "maker, product, serials and date";
    ASSERT_TRUE(directory.open(number(3)).ok());
    EXPECT_EQ(buses.lastBus->edidBytesRead, 128u) << "no serial text: the whole block";

    QDir().mkpath(folder.filePath("drm/card1-DP-2"));
    QFile::link("../../i2c/i2c-6", folder.filePath("drm/card1-DP-2/ddc"));
    QFile edid(folder.filePath("drm/card1-DP-2/edid"));
    ASSERT_TRUE(edid.open(QIODevice::WriteOnly));
    edid.write(reinterpret_cast<const char*>(serialText.data()), 128);
    edid.write(QByteArray(128, 0x02)); // an extension block
    edid.close();
    ASSERT_TRUE(directory.open(bySerial).ok());
    EXPECT_EQ(buses.lastBus->edidBytesRead, 0u);
    const std::string status = folder.filePath("drm/card1-DP-2/status").toStdString();
    std::ofstream(status) << "disconnected\n";
    ASSERT_TRUE(directory.open(bySerial).ok());
    EXPECT_EQ(buses.lastBus->edidBytesRead, 28u) << "an unplugged connector's EDID is stale";
    std::remove(status.c_str());

    serialText[72 + 5] = 'C'; // another monitor plugged in there
    buses.edids[6] = detector.records[2].edid = serialText;
    ASSERT_TRUE(edid.open(QIODevice::WriteOnly));
    edid.write(reinterpret_cast<const char*>(serialText.data()), 128);
    edid.close();
    ASSERT_TRUE(directory.open(bySerial).ok());
    EXPECT_EQ(detector.detections, 2);
    EXPECT_EQ(directory.maximum(bySerial), std::nullopt) << "read again after a detection";
}

TEST_F(CachedDirectoryTest, NumbersLumoraNeverUsesAndDetectionFailures) {
    EXPECT_EQ(open(number(1)).failure().message,
              "编号 1 是内置显示屏，它不支持 DDC/CI（亮度由 /sys/class/backlight 调节）");
    EXPECT_EQ(open(number(4)).failure().message,
              "没有编号为 4 的显示器：1 是内置显示屏，2 和 3 是外接显示器");
    EXPECT_EQ(detector.detections, 0);

    detector.failure = Failure{Failure::Kind::NoAccess, "无权读写 /dev/i2c-*"};
    EXPECT_EQ(open(number(2)).failure().exitStatus(), 4);
    const Result<BusLock, Failure> gone =
        BusLock::acquire(folder.filePath("i2c-9").toStdString(), {});
    EXPECT_EQ(gone.failure().exitStatus(), 3) << "a bus gone since the detection";
}

// The cache file itself: whole and sound, or no cache.
TEST(DisplayCacheTest, TakesAWholeFileOrNone) {
    QTemporaryDir folder;
    const auto load = [&](const QByteArray& text) {
        QFile out(folder.filePath("ddc-displays"));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
        out.close();
        return DisplayCache(PrivateFolder::open(folder.path().toStdString())).load();
    };
    // After each maximum: when last present, name and whether DDC/CI answered.
    const QByteArray edid = QByteArray(254, '0') + "ff", rest = "\t1\tMi\\x0927\t1\n",
                     first = "lumora-ddc-displays\t1700000000000\n", end = "end\n",
                     records = "2\t3\tSN\t" + edid +
                               "\t100\t1700000000000\tMi 27\t1\n3\t-\tS\\x09N\t" + edid +
                               "\t-\t5\t\t0\n";
    const std::optional<DisplayCache::Contents> contents = load(first + records + end);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->detected,
              std::chrono::system_clock::time_point(std::chrono::milliseconds(1700000000000)));
    std::vector<uint8_t> bytes(128, 0);
    bytes[127] = 0xFF;
    ASSERT_EQ(contents->records.size(), 2u);
    EXPECT_EQ(contents->records[0],
              (DisplayRecord{2, 3, "SN", bytes, "Mi 27", true, 100, contents->detected}));
    EXPECT_EQ(contents->records[1].serial, "S\tN");
    EXPECT_EQ(contents->records[1].seen.time_since_epoch(), std::chrono::milliseconds(5));
    EXPECT_EQ(load(first + "2\t3\tSN\t" + edid + "\t-" + rest + end)->records[0].name, "Mi\t27");
    EXPECT_FALSE(DisplayCache(std::nullopt).load());
    EXPECT_TRUE(load(first + end)->records.empty()) << "a detection that found nothing";

    const QList<QByteArray> damaged = {
        "\x93\x1f\xff garbage\n" + records + end, // not ours
        records + end,                            // the format before the first line
        first + records,                          // no last line
        first + "2\t3\tSN\t" + edid + "\t6",      // cut inside a maximum of 65535
        first + "not a record\n" + records + end,
        first + "2\tx\tSN\t" + edid + "\t-" + rest + end,
        first + "3\t4\tSN\t0g\t-" + rest + end,
        first + "3\t5\tSN\t\t-" + rest + end,
        first + "3\t5\tSN\t00ff\t-" + rest + end,
        first + "3\t5\tS\\N\t" + edid + "\t-" + rest + end,
        first + "3\t5\tSN\t" + edid + "\t-\t" + rest + end,
        first + "4\t5\tSN\t" + edid + "\t-" + rest + end,
        first + records + "2\t6\tSN\t" + edid + "\t-" + rest + end,
        first + records + "0\t3\tSN\t" + edid + "\t-" + rest + end,
        "lumora-ddc-displays\t999999999999999\n" + end, // later than the clock holds
    };
    for (const QByteArray& text : damaged)
        EXPECT_FALSE(load(text)) << text.toStdString();
}

} // namespace
