#pragma once

#include "ddc/DdcDevice.h"
#include "ddc/I2cBus.h"

#include <memory>

namespace lumora::ddc {

// A monitor reached by DDC/CI messages on its I2C bus, without the library's detection.
class I2cDdcDevice : public DdcDevice {
public:
    explicit I2cDdcDevice(std::unique_ptr<I2cBus> bus);

    Result<VcpValue, Failure> getVcp(uint8_t feature) override;
    Result<void, Failure> setVcp(uint8_t feature, uint16_t value, bool verify) override;

private:
    std::unique_ptr<I2cBus> m_bus;
};

// Pauses the DDC/CI standard asks for: before reading a reply, and after a set before the
// next message.
inline constexpr int replyDelayMilliseconds = 40;
inline constexpr int setDelayMilliseconds = 50;

} // namespace lumora::ddc
