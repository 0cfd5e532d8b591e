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
};

// The library's full detection of every monitor, and access to what it found.
class DisplayDetector {
public:
    virtual ~DisplayDetector() = default;
    virtual Result<std::vector<DisplayRecord>, Failure> detect() = 0;
    // Opens a monitor of the last detection.
    virtual Result<std::unique_ptr<DdcDevice>, Failure> open(const DisplayRecord& record) = 0;
};

} // namespace lumora::ddc
