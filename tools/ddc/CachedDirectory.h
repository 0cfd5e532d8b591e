#pragma once

#include "ddc/DisplayCache.h"
#include "ddc/DisplayDirectory.h"
#include "ddc/DrmConnectors.h"
#include "ddc/I2cBus.h"
#include "ddc/Numbering.h"

#include <chrono>

namespace lumora::ddc {

// Opens a monitor on the bus the cache remembers when that bus still shows the remembered EDID
// (the DRM connector's copy where the bus has one, else read over I2C), and after a full
// detection otherwise, which also renews the cache. A monitor missing at a detection younger than
// redetectAfter fails at once: asking for it again costs no detection. A detection time in the
// future (the clock stepped back) makes the cache stale. Listing the monitors costs no bus time
// while the DRM connectors show the monitors the cache has present, and no others.
class CachedDirectory : public DisplayDirectory {
public:
    CachedDirectory(const DisplayCache& cache, const Numbering& numbering, I2cBusOpener& buses,
                    DisplayDetector& detector, const DrmConnectors& connectors);

    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) override;
    Result<std::vector<DisplayRecord>, Failure> detectAll() override;
    std::optional<uint16_t> maximum(const Target& target) override;
    void rememberMaximum(const Target& target, uint16_t maximum) override;

    static constexpr std::chrono::seconds redetectAfter{10};

private:
    Result<Target, Failure> resolve(const Target& target) const;
    // The monitor on its remembered bus, if that bus still shows its EDID; a failure only when
    // the bus cannot be opened for want of access.
    Result<std::unique_ptr<DdcDevice>, Failure>
    openRemembered(const DisplayRecord& record, const std::vector<DisplayRecord>& known);
    bool sameMonitor(I2cBus& bus, const DisplayRecord& record,
                     const std::vector<DisplayRecord>& known) const;
    bool connectorsShow(const std::vector<DisplayRecord>& records) const;
    Result<std::vector<DisplayRecord>, Failure>
    detectAndRemember(const std::vector<DisplayRecord>& remembered);
    Result<std::unique_ptr<DdcDevice>, Failure> openOnBus(int bus);

    const DisplayCache& m_cache;
    const Numbering& m_numbering;
    I2cBusOpener& m_buses;
    DisplayDetector& m_detector;
    const DrmConnectors& m_connectors;
};

} // namespace lumora::ddc
