#pragma once

#include <filesystem>
#include <optional>

namespace lumora {

// The brightness of the panel's backlight as a fraction of its maximum, read from a folder laid
// out like /sys/class/backlight. Devices the firmware controls come first, then platform drivers,
// then raw registers; a device whose files are missing or unreadable is passed over. Exactly 0
// only for a dark panel: any lit level is at least 0.01.
std::optional<float> readBacklight(const std::filesystem::path& folder);

// The device readBacklight() reads, by the same choice; nothing when none can be read.
std::optional<std::filesystem::path> chooseBacklight(const std::filesystem::path& folder);

} // namespace lumora
