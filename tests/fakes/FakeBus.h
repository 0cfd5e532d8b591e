#pragma once

#include "ddc/I2cBus.h"

#include <deque>
#include <map>
#include <vector>

// The wire side of the DDC tools: a bus and the opener that hands out buses. They share this
// header because FakeBuses only makes FakeBus objects.
namespace lumora::ddc::test {

// 128 bytes of EDID told apart by their last byte.
std::vector<uint8_t> edidWithSerial(uint8_t mark);

// A monitor's reply to a VCP read of `feature`, with its checksum; `result` 1 is "unsupported".
std::vector<uint8_t> vcpReply(uint8_t feature, uint16_t current, uint16_t maximum,
                              uint8_t result = 0);

// A bus with an EDID at 0x50 and scripted replies at 0x37.
class FakeBus : public I2cBus {
public:
    Result<void, Failure> write(uint8_t address, const std::vector<uint8_t>& bytes) override;
    Result<std::vector<uint8_t>, Failure> read(uint8_t address, size_t count) override;
    void pause(int milliseconds) override { paused += milliseconds; }
    void holdOff(int milliseconds) override { heldOff += milliseconds; }

    std::vector<uint8_t> edid;
    size_t edidOffset = 0; // the offset last written to the EDID's address
    size_t edidBytesRead = 0;
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> writes;
    int paused = 0;
    int heldOff = 0;
};

// Buses that exist where `edids` has an entry; each opened bus gets a copy of `replies`.
class FakeBuses : public I2cBusOpener {
public:
    Result<std::unique_ptr<I2cBus>, Failure> open(int bus) override;

    std::map<int, std::vector<uint8_t>> edids;
    std::deque<std::vector<uint8_t>> replies;
    std::vector<int> opened;
    FakeBus* lastBus = nullptr;
};

} // namespace lumora::ddc::test
