#include "ddc/BusTiming.h"

#include <charconv>
#include <string>

namespace lumora::ddc {

namespace {

std::string fileName(int bus) {
    return "i2c-" + std::to_string(bus) + ".quiet-until";
}

// A recorded time further ahead than any pause is not ours to honour.
constexpr std::chrono::seconds longestPause{1};

} // namespace

BusTiming::BusTiming(std::optional<PrivateFolder> folder) : m_folder(std::move(folder)) {}

BusTiming::Clock::time_point BusTiming::quietUntil(int bus) const {
    const std::optional<std::string> file =
        m_folder ? m_folder->read(fileName(bus), 32) : std::nullopt;
    long long nanoseconds = 0;
    if (!file)
        return {};
    const char* end = file->data() + file->size();
    const auto [stop, error] = std::from_chars(file->data(), end, nanoseconds);
    if (error != std::errc() || nanoseconds < 0 || (stop != end && *stop != '\n'))
        return {};
    const Clock::time_point until{std::chrono::nanoseconds(nanoseconds)};
    return until > Clock::now() + longestPause ? Clock::time_point{} : until;
}

void BusTiming::keepQuietUntil(int bus, Clock::time_point until) const {
    if (m_folder)
        (void)m_folder->write(
            fileName(bus),
            std::to_string(std::chrono::nanoseconds(until.time_since_epoch()).count()) + "\n");
}

} // namespace lumora::ddc
