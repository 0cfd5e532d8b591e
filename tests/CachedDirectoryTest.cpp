#include "ddc/CachedDirectory.h"
#include "ddc/DdcPacket.h"
#include "fakes/FakeBus.h"
#include "fakes/FakeMonitor.h"

#include <QFile>
#include <QTemporaryDir>
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
            .ddc = true};
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
        CachedDirectory directory(cache, numbering, buses, detector);
        return directory.open(target);
    }
    static Target number(int n) { return {.number = n, .serial = {}}; }

    QTemporaryDir folder;
    DisplayCache cache{PrivateFolder::open(folder.filePath("lumora").toStdString())};
    Numbering numbering{placeholderSerials};
    FakeBuses buses;
    FakeDetector detector;
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
    detector.records.erase(detector.records.begin());

    const Result<std::unique_ptr<DdcDevice>, Failure> missing = open(number(2));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().exitStatus(), 3);
    EXPECT_EQ(missing.failure().message, "找不到编号为 2 的显示器");
    EXPECT_EQ(detector.detections, 2);
    EXPECT_FALSE(open(number(2)).ok());
    EXPECT_EQ(detector.detections, 2) << "asked again soon after, it fails without detecting";

    ASSERT_TRUE(open(number(3)).ok());
    EXPECT_EQ(buses.opened.back(), 5) << "the other monitor keeps its number";
}

TEST_F(CachedDirectoryTest, NumbersLumoraNeverUsesAndDetectionFailures) {
    EXPECT_EQ(open(number(1)).failure().message,
              "编号 1 是内置显示屏，它不支持 DDC/CI（亮度由 /sys/class/backlight 调节）");
    EXPECT_EQ(open(number(4)).failure().message,
              "没有编号为 4 的显示器：1 是内置显示屏，2 和 3 是外接显示器");
    EXPECT_EQ(detector.detections, 0);

    detector.failure = Failure{Failure::Kind::NoAccess, "无权读写 /dev/i2c-*"};
    EXPECT_EQ(open(number(2)).failure().exitStatus(), 4);
}

// The cache file itself.
TEST(DisplayCacheTest, SkipsWhatItCannotRead) {
    QTemporaryDir folder;
    {
        QFile out(folder.filePath("ddc-displays"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("2\t3\tSN\t00ff\nnot a record\n2\tx\tSN\t00\n3\t4\tSN\t0g\n3\t-\tS N\t01\n");
    }
    const std::vector<DisplayRecord> records =
        DisplayCache(PrivateFolder::open(folder.path().toStdString())).load()->records;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (DisplayRecord{2, 3, "SN", {0x00, 0xFF}, {}, false}));
    EXPECT_EQ(records[1], (DisplayRecord{3, -1, "S N", {0x01}, {}, false}));
    EXPECT_FALSE(DisplayCache(std::nullopt).load());
}

} // namespace
