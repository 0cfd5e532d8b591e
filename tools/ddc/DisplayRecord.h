#pragma once

#include "ddc/SerialField.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora::ddc {

// A monitor as a detection found it, or as the cache remembers it.
struct DisplayRecord {
    int number = 0;     // Lumora's number for it (2 or 3), 0 for none
    int bus = -1;       // /dev/i2c-<bus>; -1 when the last detection did not find it
    std::string serial; // the EDID serial text
    std::vector<uint8_t> edid;
    std::string name; // the EDID product name
    bool ddc = false; // whether it answered DDC/CI at its last detection
    // The luminance maximum it reported, once a Get since its last detection has told it.
    std::optional<uint16_t> maximum;
    // The last detection that found it present; kept by the cache.
    std::chrono::system_clock::time_point seen{};

    bool present() const { return bus >= 0; }
    bool operator==(const DisplayRecord&) const = default;
};

// Which monitor a command is for: by Lumora's number, by serial field (SerialField: the escaped
// serial text, or the EDID token of a monitor without one), or both once a number is known to
// stand for a configured serial.
struct Target {
    std::optional<int> number;
    std::string serial; // a serial field, as SerialField::canonical gives it

    bool matches(const DisplayRecord& record) const {
        return serial.empty() ? record.number == number
                              : SerialField::of(record.serial, record.edid) == serial;
    }
    std::string describe() const {
        if (!number)
            return "序列号为 " + serial + " 的显示器";
        const std::string numbered = "编号为 " + std::to_string(*number) + " 的显示器";
        return serial.empty() ? numbered : numbered + "（序列号 " + serial + "）";
    }
    bool operator==(const Target&) const = default;
};

} // namespace lumora::ddc
