#include "ddc/BusLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace lumora::ddc {

namespace {

// A node that is gone took its monitor with it, as when a dock is unplugged.
Failure::Kind kindOf(int openError) {
    if (openError == EACCES || openError == EPERM)
        return Failure::Kind::NoAccess;
    if (openError == ENOENT || openError == ENODEV || openError == ENXIO)
        return Failure::Kind::NotFound;
    return Failure::Kind::Communication;
}

} // namespace

Result<BusLock, Failure> BusLock::acquire(const std::string& path,
                                          std::chrono::milliseconds patience) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0)
        return Failure{kindOf(errno), "无法打开 " + path + "：" + std::strerror(errno)};
    BusLock lock(descriptor);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline)
            return communicationFailure("DDC 通信失败：" + path + " 被其他程序占用超过 " +
                                        std::to_string(patience.count()) + " 毫秒");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return lock;
}

BusLock::BusLock(BusLock&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

BusLock& BusLock::operator=(BusLock&& other) noexcept {
    std::swap(m_descriptor, other.m_descriptor);
    return *this;
}

BusLock::~BusLock() {
    if (m_descriptor >= 0)
        ::close(m_descriptor); // closing the last descriptor releases the lock
}

} // namespace lumora::ddc
