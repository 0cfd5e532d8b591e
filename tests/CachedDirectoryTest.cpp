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

// Detection remembered in a cache file, checked against the EDID on the cached bus.
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

// The cache file itself.
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

} // namespace
