#pragma once

#include "ddc/Failure.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lumora::ddc {

// One I2C bus, open and held for the length of one command.
class I2cBus {
public:
    virtual ~I2cBus() = default;

    virtual Result<void, Failure> write(uint8_t address, const std::vector<uint8_t>& bytes) = 0;
    virtual Result<std::vector<uint8_t>, Failure> read(uint8_t address, size_t count) = 0;
    // Waits the pause the protocol asks for between a request and its reply.
    virtual void pause(int milliseconds) = 0;
    // No message goes to the display for this long from now, from this process or the next one
    // on the bus: the pause after a set.
    virtual void holdOff(int milliseconds) = 0;
};

// Opens bus N (/dev/i2c-N on Linux).
class I2cBusOpener {
public:
    virtual ~I2cBusOpener() = default;
    virtual Result<std::unique_ptr<I2cBus>, Failure> open(int bus) = 0;
};

} // namespace lumora::ddc
