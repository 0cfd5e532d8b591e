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

// Only the kernel's word that nothing is plugged in rules a connector out.
bool disconnected(const std::filesystem::path& connector) {
    const std::optional<std::string> status = readAttribute(connector / "status");
    return status && status->substr(0, status->find('\n')) == "disconnected";
}

} // namespace

DrmConnectors::DrmConnectors(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::optional<std::vector<uint8_t>> DrmConnectors::edid(int bus) const {
    const std::string adapter = "i2c-" + std::to_string(bus);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const std::filesystem::path ddc =
            std::filesystem::read_symlink(entry.path() / "ddc", error);
        if (error || ddc.filename() != adapter || disconnected(entry.path()))
            continue;
        const std::optional<std::string> bytes = readAttribute(entry.path() / "edid");
        if (!bytes || bytes->size() < baseBlock)
            return std::nullopt;
        return std::vector<uint8_t>(bytes->begin(), bytes->begin() + baseBlock);
    }
    return std::nullopt;
}

} // namespace lumora::ddc
