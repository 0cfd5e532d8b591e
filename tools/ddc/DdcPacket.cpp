#include "ddc/DdcPacket.h"

namespace lumora::ddc::packet {

namespace {

constexpr uint8_t hostAddress = 0x51;
constexpr uint8_t writeDestination = 0x6E; // 0x37 shifted for writing
constexpr uint8_t readChecksumSeed = 0x50; // replies are checked against the virtual host 0x50
constexpr uint8_t lengthFlag = 0x80;
constexpr uint8_t setVcpOpcode = 0x03;
constexpr uint8_t getVcpOpcode = 0x01;
constexpr uint8_t getVcpReplyOpcode = 0x02;

std::vector<uint8_t> request(std::initializer_list<uint8_t> payload) {
    std::vector<uint8_t> message;
    message.reserve(payload.size() + 3);
    message.push_back(hostAddress);
    message.push_back(uint8_t(lengthFlag | payload.size()));
    for (const uint8_t byte : payload)
        message.push_back(byte);
    uint8_t checksum = writeDestination;
    for (const uint8_t byte : message)
        checksum ^= byte;
    message.push_back(checksum);
    return message;
}

} // namespace

std::vector<uint8_t> setVcpRequest(uint8_t feature, uint16_t value) {
    return request({setVcpOpcode, feature, uint8_t(value >> 8), uint8_t(value & 0xFF)});
}

std::vector<uint8_t> getVcpRequest(uint8_t feature) {
    return request({getVcpOpcode, feature});
}

std::optional<VcpReply> parseGetVcpReply(const std::vector<uint8_t>& reply, uint8_t feature) {
    if (reply.size() < getVcpReplySize)
        return std::nullopt;
    uint8_t checksum = readChecksumSeed;
    for (size_t i = 0; i + 1 < getVcpReplySize; ++i)
        checksum ^= reply[i];
    const bool wellFormed = reply[0] == writeDestination && reply[1] == (lengthFlag | 8) &&
                            reply[2] == getVcpReplyOpcode && reply[4] == feature &&
                            checksum == reply[10];
    if (!wellFormed)
        return std::nullopt;
    return VcpReply{.supported = reply[3] == 0,
                    .current = uint16_t(reply[8] << 8 | reply[9]),
                    .maximum = uint16_t(reply[6] << 8 | reply[7])};
}

} // namespace lumora::ddc::packet
