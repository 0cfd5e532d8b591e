#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// DDC/CI messages of the VESA MCCS "Get VCP Feature" and "Set VCP Feature" commands, as written
// to and read from the display's I2C address 0x37 (the address byte itself not included).
namespace lumora::ddc::packet {

inline constexpr uint8_t displayAddress = 0x37;
inline constexpr uint8_t edidAddress = 0x50;

std::vector<uint8_t> setVcpRequest(uint8_t feature, uint16_t value);
std::vector<uint8_t> getVcpRequest(uint8_t feature);

inline constexpr size_t getVcpReplySize = 11;

struct VcpReply {
    bool supported = false;
    uint16_t current = 0;
    uint16_t maximum = 0;
};

// The display's answer to getVcpRequest(feature); nothing when it is malformed, corrupted or
// about another feature.
std::optional<VcpReply> parseGetVcpReply(const std::vector<uint8_t>& reply, uint8_t feature);

} // namespace lumora::ddc::packet
