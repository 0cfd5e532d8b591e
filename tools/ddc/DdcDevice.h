#pragma once

#include "ddc/Failure.h"

#include <cstdint>

namespace lumora::ddc {

struct VcpValue {
    uint16_t current = 0;
    uint16_t maximum = 0;
};

// One monitor, open for the length of one command.
class DdcDevice {
public:
    virtual ~DdcDevice() = default;

    virtual Result<VcpValue, Failure> getVcp(uint8_t feature) = 0;
    // With `verify`, the value is read back and must be the one set.
    virtual Result<void, Failure> setVcp(uint8_t feature, uint16_t value, bool verify) = 0;
};

} // namespace lumora::ddc
