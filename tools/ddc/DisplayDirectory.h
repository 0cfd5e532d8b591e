#pragma once

#include "ddc/DdcDevice.h"
#include "ddc/DisplayRecord.h"
#include "ddc/Failure.h"

#include <memory>
#include <vector>

namespace lumora::ddc {

// Finds a monitor and opens it for one command.
class DisplayDirectory {
public:
    virtual ~DisplayDirectory() = default;
    virtual Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) = 0;
    // Detects now: every monitor with an EDID, numbered, in the order of their buses.
    virtual Result<std::vector<DisplayRecord>, Failure> detectAll() = 0;
    // The luminance maximum the monitor just opened reported since its last detection, if known.
    virtual std::optional<uint16_t> maximum(const Target& target) = 0;
    // Keeps what a Get on the monitor just opened told, for the commands after this one.
    virtual void rememberMaximum(const Target& target, uint16_t maximum) = 0;
};

// The library's full detection of every monitor with an EDID, those that do not answer DDC/CI
// included; the records come unnumbered.
class DisplayDetector {
public:
    virtual ~DisplayDetector() = default;
    virtual Result<std::vector<DisplayRecord>, Failure> detect() = 0;
};

} // namespace lumora::ddc
