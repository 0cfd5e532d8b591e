#pragma once

#include "ddc/I2cBus.h"

#include <string>

namespace lumora::ddc {

// /dev/i2c-N through the i2c-dev driver.
class LinuxI2cBus : public I2cBus {
public:
    LinuxI2cBus(int descriptor, std::string path);
    ~LinuxI2cBus() override;

    Result<void, Failure> write(uint8_t address, const std::vector<uint8_t>& bytes) override;
    Result<std::vector<uint8_t>, Failure> read(uint8_t address, size_t count) override;
    void pause(int milliseconds) override;

private:
    Result<void, Failure> select(uint8_t address);
    Failure failure(const char* action) const;

    int m_descriptor;
    std::string m_path;
};

class LinuxI2cBusOpener : public I2cBusOpener {
public:
    Result<std::unique_ptr<I2cBus>, Failure> open(int bus) override;
};

} // namespace lumora::ddc
