#include "fakes/FakeBus.h"

#include "ddc/DdcPacket.h"

namespace lumora::ddc::test {

std::vector<uint8_t> edidWithSerial(uint8_t mark) {
    std::vector<uint8_t> edid(128, 0);
    edid[0x7F] = mark;
    return edid;
}

std::vector<uint8_t> vcpReply(uint8_t feature, uint16_t current, uint16_t maximum, uint8_t result) {
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

Result<void, Failure> FakeBus::write(uint8_t address, const std::vector<uint8_t>& bytes) {
    writes.emplace_back(address, bytes);
    if (address == packet::edidAddress && !bytes.empty())
        edidOffset = bytes[0];
    return {};
}

Result<std::vector<uint8_t>, Failure> FakeBus::read(uint8_t address, size_t count) {
    if (address == packet::edidAddress) {
        edidBytesRead += count;
        std::vector<uint8_t> bytes;
        for (size_t i = edidOffset; i < edidOffset + count && i < edid.size(); ++i)
            bytes.push_back(edid[i]);
        return bytes;
    }
    if (replies.empty())
        return communicationFailure("没有回答");
    std::vector<uint8_t> reply = replies.front();
    replies.pop_front();
    reply.resize(count);
    return reply;
}

Result<std::unique_ptr<I2cBus>, Failure> FakeBuses::open(int bus) {
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

} // namespace lumora::ddc::test
