#include "ddc/DisplayCache.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace lumora::ddc {

namespace {

std::string toHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::optional<std::vector<uint8_t>> fromHex(const std::string& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdef") != std::string::npos)
            return std::nullopt;
        bytes.push_back(uint8_t(std::stoi(pair, nullptr, 16)));
    }
    return bytes;
}

std::optional<int> number(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9)
        return std::nullopt;
    return std::stoi(text);
}

std::optional<DisplayRecord> parse(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');)
        fields.push_back(field);
    if (fields.size() != 4)
        return std::nullopt;
    const std::optional<int> displayNumber = number(fields[0]);
    const std::optional<int> bus = number(fields[1]);
    const std::optional<std::vector<uint8_t>> edid = fromHex(fields[3]);
    if (!displayNumber || !bus || !edid)
        return std::nullopt;
    return DisplayRecord{*displayNumber, *bus, fields[2], *edid};
}

} // namespace

DisplayCache::DisplayCache(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path DisplayCache::defaultFile() {
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = cacheHome && *cacheHome ? std::filesystem::path(cacheHome)
                                       : home && *home ? std::filesystem::path(home) / ".cache"
                                                       : std::filesystem::path("/tmp");
    return base / "lumora" / "ddc-displays";
}

std::vector<DisplayRecord> DisplayCache::load() const {
    std::vector<DisplayRecord> records;
    std::ifstream in(m_file);
    for (std::string line; std::getline(in, line);) {
        if (const std::optional<DisplayRecord> record = parse(line))
            records.push_back(*record);
    }
    return records;
}

void DisplayCache::save(const std::vector<DisplayRecord>& records) const {
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    // Written beside the cache and renamed over it, so no reader ever sees half a file.
    const std::filesystem::path partial = m_file.string() + "." + std::to_string(getpid());
    {
        std::ofstream out(partial, std::ios::trunc);
        for (const DisplayRecord& record : records) {
            if (record.serial.find_first_of("\t\n") != std::string::npos)
                continue;
            out << record.number << '\t' << record.bus << '\t' << record.serial << '\t'
                << toHex(record.edid) << '\n';
        }
        if (!out)
            return std::filesystem::remove(partial, error), void();
    }
    std::filesystem::rename(partial, m_file, error);
    if (error)
        std::filesystem::remove(partial, error);
}

} // namespace lumora::ddc
