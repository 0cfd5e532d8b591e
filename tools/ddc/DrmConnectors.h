#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace lumora::ddc {

// The kernel's display connectors (/sys/class/drm/cardN-CONNECTOR). A connector whose `ddc` link
// names an I2C adapter keeps, in its `edid` file, the EDID the kernel read from the monitor on
// that bus when it was last plugged in: asking it costs the bus nothing. Only a connector whose
// `status` is not "disconnected" counts: an unplugged one may still hold the EDID of the monitor
// that left.
class DrmConnectors {
public:
    explicit DrmConnectors(std::filesystem::path folder);

    // The EDID's base block the connector on /dev/i2c-<bus> holds; nothing when no connected
    // connector drives that bus or it holds no EDID (a driver that keeps none).
    std::optional<std::vector<uint8_t>> edid(int bus) const;
    // Every connected connector's bus and the EDID's base block it holds (empty when it holds
    // none); nothing when a connected connector drives no I2C bus, as then the kernel cannot
    // tell which bus its monitor is on.
    std::optional<std::map<int, std::vector<uint8_t>>> connected() const;

private:
    std::filesystem::path m_folder;
};

} // namespace lumora::ddc
