#pragma once

#include "ddc/I2cBus.h"

#include <string>

namespace lumora::ddc {

// /dev/i2c-N through the i2c-dev driver.
class LinuxI2cBus : public I2cBus {
public:
    LinuxI2cBus(int descriptor, std::string path);
    ~LinuxI2cBus() override;

    Expected<Done> write(uint8_t address, const std::vector<uint8_t>& bytes) override;
    Expected<std::vector<uint8_t>> read(uint8_t address, size_t count) override;
    void pause(int milliseconds) override;

private:
    Expected<Done> select(uint8_t address);
    Failure failure(const char* action) const;

    int m_descriptor;
    std::string m_path;
};

class LinuxI2cBusOpener : public I2cBusOpener {
public:
    Expected<std::unique_ptr<I2cBus>> open(int bus) override;
};

} // namespace lumora::ddc
