#pragma once

#include "ddc/BusLock.h"
#include "ddc/BusTiming.h"
#include "ddc/I2cBus.h"

#include <string>

namespace lumora::ddc {

// /dev/i2c-N through the i2c-dev driver, locked while it is open; messages to the display wait
// out the pause the last set on the bus asked for, whichever process sent it.
class LinuxI2cBus : public I2cBus {
public:
    LinuxI2cBus(BusLock lock, int bus, const BusTiming& timing);

    Result<void, Failure> write(uint8_t address, const std::vector<uint8_t>& bytes) override;
    Result<std::vector<uint8_t>, Failure> read(uint8_t address, size_t count) override;
    void pause(int milliseconds) override;
    void holdOff(int milliseconds) override;

private:
    Result<void, Failure> select(uint8_t address);
    Failure failure(const char* action) const;

    BusLock m_lock;
    int m_bus;
    std::string m_path;
    const BusTiming& m_timing;
    BusTiming::Clock::time_point m_quietUntil;
};

class LinuxI2cBusOpener : public I2cBusOpener {
public:
    explicit LinuxI2cBusOpener(const BusTiming& timing) : m_timing(timing) {}
    Result<std::unique_ptr<I2cBus>, Failure> open(int bus) override;

private:
    const BusTiming& m_timing;
};

std::string i2cDevicePath(int bus);

} // namespace lumora::ddc
