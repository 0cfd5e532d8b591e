#include "ddc/LinuxI2cBus.h"

#include "ddc/DdcPacket.h"

#include <cerrno>
#include <cstring>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace lumora::ddc {

std::string i2cDevicePath(int bus) {
    return "/dev/i2c-" + std::to_string(bus);
}

LinuxI2cBus::LinuxI2cBus(BusLock lock, int bus, const BusTiming& timing)
    : m_lock(std::move(lock)), m_bus(bus), m_path(i2cDevicePath(bus)), m_timing(timing),
      m_quietUntil(timing.quietUntil(bus)) {}

Result<void, Failure> LinuxI2cBus::select(uint8_t address) {
    // Only the display keeps the pause after a set; its EDID memory answers meanwhile.
    if (address == packet::displayAddress)
        std::this_thread::sleep_until(m_quietUntil);
    if (ioctl(m_lock.descriptor(), I2C_SLAVE, address) == 0)
        return {};
    // A kernel driver may hold the address (an EEPROM driver at 0x50, say); DDC still works.
    if (errno == EBUSY && ioctl(m_lock.descriptor(), I2C_SLAVE_FORCE, address) == 0)
        return {};
    return failure("选择地址");
}

Result<void, Failure> LinuxI2cBus::write(uint8_t address, const std::vector<uint8_t>& bytes) {
    if (Result<void, Failure> selected = select(address); !selected.ok())
        return selected;
    if (::write(m_lock.descriptor(), bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        return failure("写入");
    return {};
}

Result<std::vector<uint8_t>, Failure> LinuxI2cBus::read(uint8_t address, size_t count) {
    if (Result<void, Failure> selected = select(address); !selected.ok())
        return selected.failure();
    std::vector<uint8_t> bytes(count);
    if (::read(m_lock.descriptor(), bytes.data(), count) != ssize_t(count))
        return failure("读取");
    return bytes;
}

void LinuxI2cBus::pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void LinuxI2cBus::holdOff(int milliseconds) {
    m_quietUntil = BusTiming::Clock::now() + std::chrono::milliseconds(milliseconds);
    m_timing.keepQuietUntil(m_bus, m_quietUntil);
}

Failure LinuxI2cBus::failure(const char* action) const {
    return communicationFailure("DDC 通信失败：" + m_path + " " + action + "时出错：" +
                                std::strerror(errno));
}

Result<std::unique_ptr<I2cBus>, Failure> LinuxI2cBusOpener::open(int bus) {
    Result<BusLock, Failure> lock = BusLock::acquire(i2cDevicePath(bus), busLockPatience);
    if (!lock.ok())
        return lock.failure();
    return std::unique_ptr<I2cBus>(
        std::make_unique<LinuxI2cBus>(std::move(lock.value()), bus, m_timing));
}

} // namespace lumora::ddc
