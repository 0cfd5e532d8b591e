#pragma once

#include "ddc/Failure.h"

#include <chrono>
#include <string>

namespace lumora::ddc {

// An I2C device node, open and locked exclusively (flock, as libddcutil 2 does) for as long as
// this lives, so that the DDC/CI exchanges of several processes on one bus never interleave.
class BusLock {
public:
    // Waits for the lock up to `patience`: a longer wait fails rather than hang the caller.
    static Result<BusLock, Failure> acquire(const std::string& path,
                                            std::chrono::milliseconds patience);

    BusLock(BusLock&& other) noexcept;
    BusLock& operator=(BusLock&& other) noexcept;
    BusLock(const BusLock&) = delete;
    BusLock& operator=(const BusLock&) = delete;
    ~BusLock();

    int descriptor() const { return m_descriptor; }

private:
    explicit BusLock(int descriptor) : m_descriptor(descriptor) {}

    int m_descriptor;
};

inline constexpr std::chrono::milliseconds busLockPatience{3000};

} // namespace lumora::ddc
