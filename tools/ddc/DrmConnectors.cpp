#include "ddc/DrmConnectors.h"

#include "ddc/BoundedRead.h"

#include <fcntl.h>
#include <unistd.h>

namespace lumora::ddc {

namespace {

constexpr size_t baseBlock = 128;
constexpr size_t longestEdid = 256 * baseBlock;

std::optional<std::string> readAttribute(const std::filesystem::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    std::optional<std::string> text = readBounded(descriptor, longestEdid);
    ::close(descriptor);
    return text;
}

std::optional<std::string> statusOf(const std::filesystem::path& connector) {
    const std::optional<std::string> status = readAttribute(connector / "status");
    return status ? std::optional(status->substr(0, status->find('\n'))) : std::nullopt;
}

// The N of the i2c-N adapter the connector's `ddc` link names.
std::optional<int> busOf(const std::filesystem::path& connector) {
    std::error_code error;
    const std::string adapter =
        std::filesystem::read_symlink(connector / "ddc", error).filename().string();
    const std::string digits = adapter.rfind("i2c-", 0) == 0 ? adapter.substr(4) : "";
    if (error || digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(digits);
}

std::vector<uint8_t> edidOf(const std::filesystem::path& connector) {
    const std::optional<std::string> bytes = readAttribute(connector / "edid");
    if (!bytes || bytes->size() < baseBlock)
        return {};
    return {bytes->begin(), bytes->begin() + baseBlock};
}

} // namespace

DrmConnectors::DrmConnectors(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::optional<std::vector<uint8_t>> DrmConnectors::edid(int bus) const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        // Only the kernel's word that nothing is plugged in rules a connector out.
        if (busOf(entry.path()) != bus || statusOf(entry.path()) == "disconnected")
            continue;
        std::vector<uint8_t> block = edidOf(entry.path());
        return block.empty() ? std::nullopt : std::optional(std::move(block));
    }
    return std::nullopt;
}

std::optional<std::map<int, std::vector<uint8_t>>> DrmConnectors::connected() const {
    std::map<int, std::vector<uint8_t>> edids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const std::optional<std::string> status = statusOf(entry.path());
        const std::optional<int> bus = busOf(entry.path());
        // A card, a render node or the version file has neither.
        if (status == "disconnected" || (!status && !bus))
            continue;
        if (!bus)
            return std::nullopt;
        edids.emplace(*bus, edidOf(entry.path()));
    }
    return edids;
}

} // namespace lumora::ddc
