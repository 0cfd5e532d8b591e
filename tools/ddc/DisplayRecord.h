#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora::ddc {

// A monitor as the library's detection found it.
struct DisplayRecord {
    int number = 0;     // the library's display number
    int bus = 0;        // /dev/i2c-<bus>
    std::string serial; // the EDID serial text
    std::vector<uint8_t> edid;

    bool operator==(const DisplayRecord&) const = default;
};

// Which monitor a command is for: by display number or by serial text.
struct Target {
    std::optional<int> number;
    std::string serial;

    bool matches(const DisplayRecord& record) const {
        return number ? record.number == *number : record.serial == serial;
    }
    std::string describe() const {
        return number ? "编号为 " + std::to_string(*number) + " 的显示器"
                      : "序列号为 " + serial + " 的显示器";
    }
};

} // namespace lumora::ddc
