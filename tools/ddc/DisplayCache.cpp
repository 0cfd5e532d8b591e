#include "ddc/DisplayCache.h"

#include <sstream>

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

constexpr char fileName[] = "ddc-displays";
constexpr size_t sizeLimit = 64 * 1024;

std::optional<DisplayRecord> parse(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');)
        fields.push_back(field);
    if (fields.size() != 4)
        return std::nullopt;
    const std::optional<int> displayNumber = number(fields[0]);
    const std::optional<int> bus = fields[1] == "-" ? std::optional(-1) : number(fields[1]);
    const std::optional<std::vector<uint8_t>> edid = fromHex(fields[3]);
    if (!displayNumber || !bus || !edid)
        return std::nullopt;
    return DisplayRecord{
        .number = *displayNumber, .bus = *bus, .serial = fields[2], .edid = *edid, .name = {}};
}

std::string line(const DisplayRecord& record) {
    return std::to_string(record.number) + '\t' +
           (record.present() ? std::to_string(record.bus) : "-") + '\t' + record.serial + '\t' +
           toHex(record.edid) + '\n';
}

} // namespace

DisplayCache::DisplayCache(std::optional<PrivateFolder> folder) : m_folder(std::move(folder)) {}

std::optional<DisplayCache::Contents> DisplayCache::load() const {
    const std::optional<PrivateFolder::FileText> file =
        m_folder ? m_folder->read(fileName, sizeLimit) : std::nullopt;
    if (!file)
        return std::nullopt;
    Contents contents{.records = {}, .detected = file->modified};
    std::stringstream lines(file->text);
    for (std::string text; std::getline(lines, text);) {
        if (const std::optional<DisplayRecord> record = parse(text))
            contents.records.push_back(*record);
    }
    return contents;
}

void DisplayCache::save(const std::vector<DisplayRecord>& records) const {
    if (!m_folder)
        return;
    std::string text;
    for (const DisplayRecord& record : records) {
        if (record.serial.find_first_of("\t\n") == std::string::npos)
            text += line(record);
    }
    (void)m_folder->write(fileName, text);
}

} // namespace lumora::ddc
