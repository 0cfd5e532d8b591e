#include "ddc/I2cDdcDevice.h"

#include "ddc/DdcPacket.h"

#include <string>

namespace lumora::ddc {

namespace {

std::string hex(uint8_t feature) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[feature >> 4] + digits[feature & 0xF];
}

} // namespace

I2cDdcDevice::I2cDdcDevice(std::unique_ptr<I2cBus> bus) : m_bus(std::move(bus)) {}

Result<VcpValue, Failure> I2cDdcDevice::getVcp(uint8_t feature) {
    if (Result<void, Failure> sent =
            m_bus->write(packet::displayAddress, packet::getVcpRequest(feature));
        !sent.ok())
        return sent.failure();
    m_bus->pause(replyDelayMilliseconds);
    const Result<std::vector<uint8_t>, Failure> reply =
        m_bus->read(packet::displayAddress, packet::getVcpReplySize);
    if (!reply.ok())
        return reply.failure();
    const std::optional<packet::VcpReply> parsed = packet::parseGetVcpReply(reply.value(), feature);
    if (!parsed)
        return communicationFailure("DDC 通信失败：显示器对功能 " + hex(feature) + " 的回答无效");
    if (!parsed->supported)
        return communicationFailure("DDC 通信失败：显示器不支持功能 " + hex(feature));
    return VcpValue{parsed->current, parsed->maximum};
}

Result<void, Failure> I2cDdcDevice::setVcp(uint8_t feature, uint16_t value, bool verify) {
    if (Result<void, Failure> sent =
            m_bus->write(packet::displayAddress, packet::setVcpRequest(feature, value));
        !sent.ok())
        return sent;
    // The monitor needs the pause to take the value; it is kept for whoever speaks next.
    m_bus->holdOff(setDelayMilliseconds);
    if (!verify)
        return {};
    const Result<VcpValue, Failure> readBack = getVcp(feature);
    if (!readBack.ok())
        return readBack.failure();
    if (readBack.value().current != value)
        return communicationFailure("DDC 校验失败：显示器没有接受功能 " + hex(feature) + " 的值 " +
                                    std::to_string(value) + "（读回 " +
                                    std::to_string(readBack.value().current) + "）");
    return {};
}

} // namespace lumora::ddc
