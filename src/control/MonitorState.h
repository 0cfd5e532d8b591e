#pragma once

#include "control/Failure.h"

#include <QString>
#include <chrono>
#include <optional>

namespace lumora {

// What a lane knows of its external monitor beyond what the window shows: how to reach
// its power feature, whether it took a switch-off, the built-in level it holds, and whether its
// last command failed. A monitor that keeps failing is tried again at a slower and slower pace,
// so that it does not cost every follow step its time-outs.
struct MonitorState {
    using Clock = std::chrono::steady_clock;
    enum class Power { Unknown, On, Off };

    QString serial; // for the power tool; empty: the monitor's power is not ours to set
    Power power = Power::Unknown;
    std::optional<qint64> level;       // the built-in level it was last given
    std::optional<qint64> unconfirmed; // a luminance sent without reading it back
    std::optional<Failure> failure;
    int failures = 0;
    Clock::time_point retryAt;

    void succeeded();
    void failed(Failure why, Clock::time_point now);
    // Whether a follow step should try it now.
    bool isDue(Clock::time_point now) const { return !failure || now >= retryAt; }
    // Forgets everything learned of the monitor that was there before, keeping how to reach it.
    void restart();
};

} // namespace lumora
