#include "ddc/CachedDirectory.h"

#include "ddc/EdidIdentity.h"
#include "ddc/I2cDdcDevice.h"

#include <algorithm>
#include <map>

namespace lumora::ddc {

namespace {

const DisplayRecord* find(const std::vector<DisplayRecord>& records, const Target& target) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const DisplayRecord& r) { return target.matches(r); });
    return found == records.end() ? nullptr : &*found;
}

Failure notFound(const Target& target) {
    return Failure{Failure::Kind::NotFound, "找不到" + target.describe()};
}

bool fresh(const DisplayCache::Contents& cache) {
    const auto age = std::chrono::system_clock::now() - cache.detected;
    return age >= std::chrono::seconds(0) && age < CachedDirectory::redetectAfter;
}

// The monitors as a detection now finds them: those present were seen now.
DisplayCache::Contents detectedNow(std::vector<DisplayRecord> records) {
    const auto now = std::chrono::system_clock::now();
    for (DisplayRecord& record : records) {
        if (record.present())
            record.seen = now;
    }
    return {.records = std::move(records), .detected = now};
}

std::vector<DisplayRecord> presentOnly(const std::vector<DisplayRecord>& records) {
    std::vector<DisplayRecord> present;
    std::copy_if(records.begin(), records.end(), std::back_inserter(present),
                 [](const DisplayRecord& r) { return r.present(); });
    return present;
}

} // namespace

CachedDirectory::CachedDirectory(const DisplayCache& cache, const Numbering& numbering,
                                 I2cBusOpener& buses, DisplayDetector& detector,
                                 const DrmConnectors& connectors)
    : m_cache(cache), m_numbering(numbering), m_buses(buses), m_detector(detector),
      m_connectors(connectors) {}

Result<std::unique_ptr<DdcDevice>, Failure> CachedDirectory::open(const Target& asked) {
    const Result<Target, Failure> resolved = resolve(asked);
    if (!resolved.ok())
        return resolved.failure();
    const Target& target = resolved.value();

    const std::optional<DisplayCache::Contents> cache = m_cache.load();
    const DisplayRecord* remembered = cache ? find(cache->records, target) : nullptr;
    if (remembered && remembered->present()) {
        Result<std::unique_ptr<DdcDevice>, Failure> device =
            openRemembered(*remembered, cache->records);
        if (!device.ok() || device.value())
            return device;
    } else if (cache && fresh(*cache)) {
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
    std::optional<DisplayCache::Contents> cache = m_cache.load();
    if (cache && connectorsShow(cache->records)) {
        const DisplayCache::Contents renewed = detectedNow(std::move(cache->records));
        m_cache.save(renewed);
        return presentOnly(renewed.records);
    }
    const Result<std::vector<DisplayRecord>, Failure> detected =
        detectAndRemember(cache ? cache->records : std::vector<DisplayRecord>{});
    if (!detected.ok())
        return detected.failure();
    return presentOnly(detected.value());
}

std::optional<uint16_t> CachedDirectory::maximum(const Target& asked) {
    const Result<Target, Failure> target = resolve(asked);
    const std::optional<DisplayCache::Contents> cache = m_cache.load();
    const DisplayRecord* record =
        target.ok() && cache ? find(cache->records, target.value()) : nullptr;
    return record && record->present() ? record->maximum : std::nullopt;
}

void CachedDirectory::rememberMaximum(const Target& asked, uint16_t maximum) {
    const Result<Target, Failure> target = resolve(asked);
    std::optional<DisplayCache::Contents> cache = m_cache.load();
    if (!target.ok() || !cache)
        return;
    const auto record =
        std::find_if(cache->records.begin(), cache->records.end(),
                     [&](const DisplayRecord& r) { return target.value().matches(r); });
    if (record == cache->records.end() || !record->present() || record->maximum == maximum)
        return;
    record->maximum = maximum;
    m_cache.save(*cache);
}

Result<Target, Failure> CachedDirectory::resolve(const Target& target) const {
    if (!target.number)
        return target;
    return m_numbering.target(*target.number);
}

Result<std::unique_ptr<DdcDevice>, Failure>
CachedDirectory::openRemembered(const DisplayRecord& record,
                                const std::vector<DisplayRecord>& known) {
    Result<std::unique_ptr<I2cBus>, Failure> bus = m_buses.open(record.bus);
    if (!bus.ok())
        return bus.failure().kind == Failure::Kind::NoAccess
                   ? Result<std::unique_ptr<DdcDevice>, Failure>(bus.failure())
                   : std::unique_ptr<DdcDevice>();
    if (!sameMonitor(*bus.value(), record, known))
        return std::unique_ptr<DdcDevice>();
    return std::unique_ptr<DdcDevice>(std::make_unique<I2cDdcDevice>(std::move(bus.value())));
}

// Another monitor may sit on that bus now: only the same EDID counts.
bool CachedDirectory::sameMonitor(I2cBus& bus, const DisplayRecord& record,
                                  const std::vector<DisplayRecord>& known) const {
    if (const std::optional<std::vector<uint8_t>> edid = m_connectors.edid(record.bus))
        return *edid == record.edid;
    return EdidIdentity::sameMonitor(bus, record, known);
}

// The kernel reads the EDID of a monitor plugged into a connector: while the connected ones hold
// exactly the monitors the cache has present, on the same buses, the last detection stands. With
// no monitor present, nothing vouches that buses no connector drives are still empty.
bool CachedDirectory::connectorsShow(const std::vector<DisplayRecord>& records) const {
    std::map<int, std::vector<uint8_t>> present;
    for (const DisplayRecord& record : records) {
        if (record.present())
            present.emplace(record.bus, record.edid);
    }
    return !present.empty() && m_connectors.connected() == present;
}

Result<std::vector<DisplayRecord>, Failure>
CachedDirectory::detectAndRemember(const std::vector<DisplayRecord>& remembered) {
    Result<std::vector<DisplayRecord>, Failure> detected = m_detector.detect();
    if (!detected.ok())
        return detected;
    DisplayCache::Contents contents =
        detectedNow(m_numbering.assign(std::move(detected.value()), remembered));
    m_cache.save(contents);
    return std::move(contents.records);
}

Result<std::unique_ptr<DdcDevice>, Failure> CachedDirectory::openOnBus(int bus) {
    Result<std::unique_ptr<I2cBus>, Failure> opened = m_buses.open(bus);
    if (!opened.ok())
        return opened.failure();
    return std::unique_ptr<DdcDevice>(std::make_unique<I2cDdcDevice>(std::move(opened.value())));
}

} // namespace lumora::ddc
