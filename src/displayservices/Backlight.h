#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace lumora {

// The brightness of the panel's backlight as a fraction of its maximum, read from a folder laid
// out like /sys/class/backlight. Devices the firmware controls come first, then platform drivers,
// then raw registers; a device whose files are missing or unreadable is passed over. Exactly 0
// only for a dark panel: any lit level is at least 0.01.
std::optional<float> readBacklight(const std::filesystem::path& folder);

// A level from a device's raw brightness and maximum, by the rules above; nothing when they
// make no sense.
std::optional<float> backlightFraction(long long brightness, long long maximum);
// A device's max_brightness.
std::optional<long long> backlightMaximum(const std::filesystem::path& device);
// A number as an attribute holds it: decimal digits, perhaps a sign, one line.
std::optional<long long> parseBacklightNumber(std::string_view line);

// The device readBacklight() reads, by the same choice; nothing when none can be read.
std::optional<std::filesystem::path> chooseBacklight(const std::filesystem::path& folder);

} // namespace lumora
