#include "ddc/CachedDirectory.h"

#include "ddc/DdcPacket.h"
#include "ddc/I2cDdcDevice.h"

#include <algorithm>

namespace lumora::ddc {

namespace {

constexpr size_t edidSize = 128;

const DisplayRecord* find(const std::vector<DisplayRecord>& records, const Target& target) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const DisplayRecord& r) { return target.matches(r); });
    return found == records.end() ? nullptr : &*found;
}

Failure notFound(const Target& target) {
    return Failure{Failure::Kind::NotFound, "找不到" + target.describe()};
}

} // namespace

CachedDirectory::CachedDirectory(const DisplayCache& cache, const Numbering& numbering,
                                 I2cBusOpener& buses, DisplayDetector& detector)
    : m_cache(cache), m_numbering(numbering), m_buses(buses), m_detector(detector) {}

Result<std::unique_ptr<DdcDevice>, Failure> CachedDirectory::open(const Target& asked) {
    const Result<Target, Failure> resolved = resolve(asked);
    if (!resolved.ok())
        return resolved.failure();
    const Target& target = resolved.value();

    const std::optional<DisplayCache::Contents> cache = m_cache.load();
    const DisplayRecord* remembered = cache ? find(cache->records, target) : nullptr;
    if (remembered && remembered->present()) {
        Result<std::unique_ptr<DdcDevice>, Failure> device = openRemembered(*remembered);
        if (!device.ok() || device.value())
            return device;
    } else if (cache && std::chrono::system_clock::now() - cache->detected < redetectAfter) {
        return notFound(target);
    }

    const Result<std::vector<DisplayRecord>, Failure> detected =
        detectAndRemember(cache ? cache->records : std::vector<DisplayRecord>{});
    if (!detected.ok())
        return detected.failure();
    const DisplayRecord* found = find(detected.value(), target);
    if (!found || !found->present())
        return notFound(target);
    return openOnBus(found->bus);
}

Result<std::vector<DisplayRecord>, Failure> CachedDirectory::detectAll() {
    const std::optional<DisplayCache::Contents> cache = m_cache.load();
    Result<std::vector<DisplayRecord>, Failure> detected =
        detectAndRemember(cache ? cache->records : std::vector<DisplayRecord>{});
    if (!detected.ok())
        return detected;
    std::vector<DisplayRecord> present;
    std::copy_if(detected.value().begin(), detected.value().end(), std::back_inserter(present),
                 [](const DisplayRecord& r) { return r.present(); });
    return present;
}

Result<Target, Failure> CachedDirectory::resolve(const Target& target) const {
    if (!target.number)
        return target;
    return m_numbering.target(*target.number);
}

Result<std::unique_ptr<DdcDevice>, Failure>
CachedDirectory::openRemembered(const DisplayRecord& record) {
    Result<std::unique_ptr<I2cBus>, Failure> bus = m_buses.open(record.bus);
    if (!bus.ok())
        return bus.failure().kind == Failure::Kind::NoAccess
                   ? Result<std::unique_ptr<DdcDevice>, Failure>(bus.failure())
                   : std::unique_ptr<DdcDevice>();
    // Another monitor may sit on that bus now: only the same EDID counts.
    const bool offsetSent = bus.value()->write(packet::edidAddress, {0x00}).ok();
    const Result<std::vector<uint8_t>, Failure> edid =
        bus.value()->read(packet::edidAddress, edidSize);
    if (!offsetSent || !edid.ok() || edid.value() != record.edid)
        return std::unique_ptr<DdcDevice>();
    return std::unique_ptr<DdcDevice>(std::make_unique<I2cDdcDevice>(std::move(bus.value())));
}

Result<std::vector<DisplayRecord>, Failure>
CachedDirectory::detectAndRemember(const std::vector<DisplayRecord>& remembered) {
    Result<std::vector<DisplayRecord>, Failure> detected = m_detector.detect();
    if (!detected.ok())
        return detected;
    std::vector<DisplayRecord> numbered =
        m_numbering.assign(std::move(detected.value()), remembered);
    m_cache.save(numbered);
    return numbered;
}

Result<std::unique_ptr<DdcDevice>, Failure> CachedDirectory::openOnBus(int bus) {
    Result<std::unique_ptr<I2cBus>, Failure> opened = m_buses.open(bus);
    if (!opened.ok())
        return opened.failure();
    return std::unique_ptr<DdcDevice>(std::make_unique<I2cDdcDevice>(std::move(opened.value())));
}

} // namespace lumora::ddc
