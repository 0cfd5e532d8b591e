#pragma once

#include "ddc/DisplayRecord.h"
#include "ddc/I2cBus.h"

#include <vector>

namespace lumora::ddc {

// Whether the monitor on a bus is the one remembered, read from its EDID over I2C, as little of
// it as tells the monitors apart.
class EdidIdentity {
public:
    // `known` are all the monitors the cache remembers, `remembered` among them.
    static bool sameMonitor(I2cBus& bus, const DisplayRecord& remembered,
                            const std::vector<DisplayRecord>& known);

    struct Span {
        size_t offset;
        size_t size;
    };
    // What is read: the identifying bytes, or the whole block where they do not single the
    // monitor out among those the cache knows.
    static std::vector<Span> spansToRead(const DisplayRecord& remembered,
                                         const std::vector<DisplayRecord>& known);
};

} // namespace lumora::ddc
