#include "ddc/DdcPacket.h"
#include "ddc/I2cDdcDevice.h"
#include "fakes/FakeBus.h"

#include <gtest/gtest.h>

using namespace lumora::ddc;
using lumora::Result;
using namespace lumora::ddc::test;

namespace {

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

// The packets above, sent and read on a bus.
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
    EXPECT_EQ(verified.failure().message,
              "DDC 校验失败：显示器没有接受功能 0x10 的值 30（读回 31）");
    EXPECT_EQ(wire.heldOff, setDelayMilliseconds) << "the read-back waits for the monitor";

    const Result<VcpValue, Failure> unsupported = device.getVcp(0x10);
    ASSERT_FALSE(unsupported.ok());
    EXPECT_EQ(unsupported.failure().message, "DDC 通信失败：显示器不支持功能 0x10");
}

} // namespace
