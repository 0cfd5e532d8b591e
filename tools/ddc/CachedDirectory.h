#pragma once

#include "ddc/DisplayCache.h"
#include "ddc/DisplayDirectory.h"
#include "ddc/I2cBus.h"

namespace lumora::ddc {

// Opens a monitor through the cached number → bus mapping when the monitor on that bus still
// has the cached EDID, and through a full detection otherwise, which also renews the cache.
class CachedDirectory : public DisplayDirectory {
public:
    CachedDirectory(const DisplayCache& cache, I2cBusOpener& buses, DisplayDetector& detector);

    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) override;

private:
    std::unique_ptr<DdcDevice> openCached(const Target& target);

    const DisplayCache& m_cache;
    I2cBusOpener& m_buses;
    DisplayDetector& m_detector;
};

} // namespace lumora::ddc
