#pragma once

#include "ddc/PrivateFolder.h"

#include <chrono>
#include <optional>

namespace lumora::ddc {

// When each I2C bus may next carry a message to its display, kept in a small file per bus so
// that the pause the DDC/CI standard asks for after a set holds across processes: the monitor
// does not know who is talking. Times are CLOCK_MONOTONIC, which every process shares.
class BusTiming {
public:
    using Clock = std::chrono::steady_clock;

    // Without a folder, nothing is kept: each process only keeps its own pauses.
    explicit BusTiming(std::optional<PrivateFolder> folder);

    Clock::time_point quietUntil(int bus) const;
    void keepQuietUntil(int bus, Clock::time_point until) const;

private:
    std::optional<PrivateFolder> m_folder;
};

} // namespace lumora::ddc
