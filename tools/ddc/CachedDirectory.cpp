#include "ddc/CachedDirectory.h"

#include "ddc/DdcPacket.h"
#include "ddc/I2cDdcDevice.h"

#include <algorithm>

namespace lumora::ddc {

namespace {
constexpr size_t edidSize = 128;
}

CachedDirectory::CachedDirectory(const DisplayCache& cache, I2cBusOpener& buses,
                                 DisplayDetector& detector)
    : m_cache(cache), m_buses(buses), m_detector(detector) {}

Result<std::unique_ptr<DdcDevice>, Failure> CachedDirectory::open(const Target& target) {
    if (std::unique_ptr<DdcDevice> cached = openCached(target))
        return cached;

    const Result<std::vector<DisplayRecord>, Failure> detected = m_detector.detect();
    if (!detected.ok())
        return detected.failure();
    m_cache.save(detected.value());
    const auto found = std::find_if(detected.value().begin(), detected.value().end(),
                                    [&](const DisplayRecord& r) { return target.matches(r); });
    if (found == detected.value().end())
        return Failure{Failure::Kind::NotFound, "找不到" + target.describe()};
    return m_detector.open(*found);
}

std::unique_ptr<DdcDevice> CachedDirectory::openCached(const Target& target) {
    const std::vector<DisplayRecord> records = m_cache.load();
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const DisplayRecord& r) { return target.matches(r); });
    if (found == records.end())
        return nullptr;
    Result<std::unique_ptr<I2cBus>, Failure> bus = m_buses.open(found->bus);
    if (!bus.ok())
        return nullptr;
    // Another monitor may sit on that bus now: only the same EDID counts.
    const bool offsetSent = bus.value()->write(packet::edidAddress, {0x00}).ok();
    const Result<std::vector<uint8_t>, Failure> edid =
        bus.value()->read(packet::edidAddress, edidSize);
    if (!offsetSent || !edid.ok() || edid.value() != found->edid)
        return nullptr;
    return std::make_unique<I2cDdcDevice>(std::move(bus.value()));
}

} // namespace lumora::ddc
