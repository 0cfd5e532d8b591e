#pragma once

#include "ddc/Expected.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lumora::ddc {

// One I2C bus, open for the length of one command.
class I2cBus {
public:
    virtual ~I2cBus() = default;

    virtual Expected<Done> write(uint8_t address, const std::vector<uint8_t>& bytes) = 0;
    virtual Expected<std::vector<uint8_t>> read(uint8_t address, size_t count) = 0;
    // Waits the pause the protocol asks for between messages.
    virtual void pause(int milliseconds) = 0;
};

// Opens bus N (/dev/i2c-N on Linux).
class I2cBusOpener {
public:
    virtual ~I2cBusOpener() = default;
    virtual Expected<std::unique_ptr<I2cBus>> open(int bus) = 0;
};

} // namespace lumora::ddc
