#include "ddc/LinuxI2cBus.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace lumora::ddc {

LinuxI2cBus::LinuxI2cBus(int descriptor, std::string path)
    : m_descriptor(descriptor), m_path(std::move(path)) {}

LinuxI2cBus::~LinuxI2cBus() {
    ::close(m_descriptor);
}

Result<void, Failure> LinuxI2cBus::select(uint8_t address) {
    if (ioctl(m_descriptor, I2C_SLAVE, address) == 0)
        return {};
    // A kernel driver may hold the address (an EEPROM driver at 0x50, say); DDC still works.
    if (errno == EBUSY && ioctl(m_descriptor, I2C_SLAVE_FORCE, address) == 0)
        return {};
    return failure("选择地址");
}

Result<void, Failure> LinuxI2cBus::write(uint8_t address, const std::vector<uint8_t>& bytes) {
    if (Result<void, Failure> selected = select(address); !selected.ok())
        return selected;
    if (::write(m_descriptor, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        return failure("写入");
    return {};
}

Result<std::vector<uint8_t>, Failure> LinuxI2cBus::read(uint8_t address, size_t count) {
    if (Result<void, Failure> selected = select(address); !selected.ok())
        return selected.failure();
    std::vector<uint8_t> bytes(count);
    if (::read(m_descriptor, bytes.data(), count) != ssize_t(count))
        return failure("读取");
    return bytes;
}

void LinuxI2cBus::pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

Failure LinuxI2cBus::failure(const char* action) const {
    return communicationFailure("DDC 通信失败：" + m_path + " " + action + "时出错：" +
                                std::strerror(errno));
}

Result<std::unique_ptr<I2cBus>, Failure> LinuxI2cBusOpener::open(int bus) {
    const std::string path = "/dev/i2c-" + std::to_string(bus);
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0) {
        const Failure::Kind kind = errno == EACCES || errno == EPERM ? Failure::Kind::NoAccess
                                                                     : Failure::Kind::Communication;
        return Failure{kind, "无法打开 " + path + "：" + std::strerror(errno)};
    }
    return std::unique_ptr<I2cBus>(std::make_unique<LinuxI2cBus>(descriptor, path));
}

} // namespace lumora::ddc
