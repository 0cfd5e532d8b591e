#pragma once

#include "ddc/DisplayDirectory.h"

#include <optional>
#include <tuple>
#include <vector>

// The monitor side of the DDC tools, above the bus: a monitor's state, the device and directory
// that hand it out, and a detection. They share this header because each is a few lines over the
// same FakeMonitor.
namespace lumora::ddc::test {

// One monitor's luminance, every write it received, and the failure it answers with, if any.
struct FakeMonitor {
    uint16_t current = 50;
    uint16_t maximum = 100;
    std::vector<std::tuple<uint8_t, uint16_t, bool>> sets; // feature, value, verify
    int gets = 0;
    std::optional<Failure> failure;
};

FakeMonitor monitorAt(uint16_t current, uint16_t maximum);

// A device that reads and writes a FakeMonitor.
class FakeDevice : public DdcDevice {
public:
    explicit FakeDevice(FakeMonitor& monitor) : m_monitor(monitor) {}
    Result<VcpValue, Failure> getVcp(uint8_t feature) override;
    Result<void, Failure> setVcp(uint8_t feature, uint16_t value, bool verify) override;

private:
    FakeMonitor& m_monitor;
};

// Monitors found by serial or number, as a detection would.
class FakeDirectory : public DisplayDirectory {
public:
    Result<std::unique_ptr<DdcDevice>, Failure> open(const Target& target) override;
    Result<std::vector<DisplayRecord>, Failure> detectAll() override;
    std::optional<uint16_t> maximum(const Target& target) override;
    void rememberMaximum(const Target& target, uint16_t maximum) override;

    std::vector<std::pair<DisplayRecord, FakeMonitor>> monitors;
};

// A detection that finds `records` (or fails with `failure`).
class FakeDetector : public DisplayDetector {
public:
    Result<std::vector<DisplayRecord>, Failure> detect() override;

    std::vector<DisplayRecord> records;
    std::optional<Failure> failure;
    int detections = 0;
};

} // namespace lumora::ddc::test
