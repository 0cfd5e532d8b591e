#include "fakes/FakeMonitor.h"

namespace lumora::ddc::test {

FakeMonitor monitorAt(uint16_t current, uint16_t maximum) {
    FakeMonitor monitor;
    monitor.current = current;
    monitor.maximum = maximum;
    return monitor;
}

Result<VcpValue, Failure> FakeDevice::getVcp(uint8_t) {
    ++m_monitor.gets;
    if (m_monitor.failure)
        return *m_monitor.failure;
    return VcpValue{m_monitor.current, m_monitor.maximum};
}

Result<void, Failure> FakeDevice::setVcp(uint8_t feature, uint16_t value, bool verify) {
    if (m_monitor.failure)
        return *m_monitor.failure;
    m_monitor.sets.emplace_back(feature, value, verify);
    m_monitor.current = value;
    return {};
}

Result<std::unique_ptr<DdcDevice>, Failure> FakeDirectory::open(const Target& target) {
    for (auto& [record, monitor] : monitors) {
        if (target.matches(record))
            return std::unique_ptr<DdcDevice>(std::make_unique<FakeDevice>(monitor));
    }
    return Failure{Failure::Kind::NotFound, "找不到" + target.describe()};
}

Result<std::vector<DisplayRecord>, Failure> FakeDirectory::detectAll() {
    std::vector<DisplayRecord> records;
    for (const auto& [record, monitor] : monitors)
        records.push_back(record);
    return records;
}

std::optional<uint16_t> FakeDirectory::maximum(const Target& target) {
    for (const auto& [record, monitor] : monitors) {
        if (target.matches(record))
            return record.maximum;
    }
    return std::nullopt;
}

void FakeDirectory::rememberMaximum(const Target& target, uint16_t maximum) {
    for (auto& [record, monitor] : monitors) {
        if (target.matches(record))
            record.maximum = maximum;
    }
}

Result<std::vector<DisplayRecord>, Failure> FakeDetector::detect() {
    ++detections;
    if (failure)
        return *failure;
    return records;
}

} // namespace lumora::ddc::test
