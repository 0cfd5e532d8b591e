#include "displayservices/Backlight.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace lumora {

namespace {

namespace fs = std::filesystem;

constexpr float minimumLit = 0.01f;

std::optional<std::string> firstLine(const fs::path& file) {
    std::ifstream stream(file);
    std::string line;
    if (!stream || !std::getline(stream, line))
        return std::nullopt;
    return line;
}

std::optional<long long> number(const fs::path& file) {
    const std::optional<std::string> line = firstLine(file);
    return line ? parseBacklightNumber(*line) : std::nullopt;
}

int preference(const fs::path& device) {
    static const std::vector<std::string> order = {"firmware", "platform", "raw"};
    const std::string type = firstLine(device / "type").value_or("");
    return int(std::find(order.begin(), order.end(), type) - order.begin());
}

std::optional<float> deviceBrightness(const fs::path& device) {
    const std::optional<long long> brightness = number(device / "brightness");
    const std::optional<long long> maximum = number(device / "max_brightness");
    if (!brightness || !maximum)
        return std::nullopt;
    return backlightFraction(*brightness, *maximum);
}

struct Reading {
    fs::path device;
    float fraction;
};

// The first device in order of preference whose brightness can be read, and that brightness.
std::optional<Reading> firstReadable(const fs::path& folder) {
    std::error_code error;
    std::vector<fs::path> devices;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        devices.push_back(entry.path());
    std::sort(devices.begin(), devices.end(), [](const fs::path& a, const fs::path& b) {
        return std::pair(preference(a), a.filename()) < std::pair(preference(b), b.filename());
    });
    for (const fs::path& device : devices) {
        if (const std::optional<float> fraction = deviceBrightness(device))
            return Reading{device, *fraction};
    }
    return std::nullopt;
}

} // namespace

std::optional<long long> parseBacklightNumber(std::string_view line) {
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (line.empty() || error != std::errc() || end != line.data() + line.size())
        return std::nullopt;
    return value;
}

std::optional<float> backlightFraction(long long brightness, long long maximum) {
    if (maximum <= 0 || brightness < 0)
        return std::nullopt;
    // 0 means a dark panel, and the caller switches the monitors off for it: a lit panel, however
    // dim, reads as at least 1 %.
    if (brightness == 0)
        return 0.0f;
    return std::max(float(double(brightness) / double(maximum)), minimumLit);
}

std::optional<long long> backlightMaximum(const fs::path& device) {
    return number(device / "max_brightness");
}

std::optional<float> readBacklight(const fs::path& folder) {
    const std::optional<Reading> reading = firstReadable(folder);
    return reading ? std::optional(reading->fraction) : std::nullopt;
}

std::optional<fs::path> chooseBacklight(const fs::path& folder) {
    const std::optional<Reading> reading = firstReadable(folder);
    return reading ? std::optional(reading->device) : std::nullopt;
}

} // namespace lumora
