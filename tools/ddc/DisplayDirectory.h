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
};

// The library's full detection of every monitor with an EDID, those that do not answer DDC/CI
// included; the records come unnumbered.
class DisplayDetector {
public:
    virtual ~DisplayDetector() = default;
    virtual Result<std::vector<DisplayRecord>, Failure> detect() = 0;
};

} // namespace lumora::ddc
