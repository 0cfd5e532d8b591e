#include "ddc/DisplayCache.h"

#include "ddc/Numbering.h"
#include "ddc/SerialField.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <set>
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

// Decimal digits, within 0…limit.
std::optional<long long> number(const std::string& text, long long limit) {
    long long value = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() ||
        value > limit)
        return std::nullopt;
    return value;
}

constexpr char fileName[] = "ddc-displays";
constexpr char firstWord[] = "lumora-ddc-displays\t";
// A file cut short anywhere lacks its last line.
constexpr char lastLine[] = "end\n";
constexpr size_t sizeLimit = 64 * 1024;
constexpr size_t edidSize = 128;

using Clock = std::chrono::system_clock;
using Milliseconds = std::chrono::milliseconds;

// Milliseconds since the epoch, no later than the clock can hold.
std::optional<Clock::time_point> timeOf(const std::string& text) {
    static const long long latest =
        std::chrono::duration_cast<Milliseconds>(Clock::duration::max()).count();
    const std::optional<long long> since = number(text, latest);
    if (!since)
        return std::nullopt;
    return Clock::time_point(Milliseconds(*since));
}

std::string millisecondsOf(Clock::time_point time) {
    return std::to_string(
        std::chrono::duration_cast<Milliseconds>(time.time_since_epoch()).count());
}

std::optional<Clock::time_point> detectionTime(const std::string& line) {
    if (line.rfind(firstWord, 0) != 0)
        return std::nullopt;
    return timeOf(line.substr(sizeof firstWord - 1));
}

bool lumoraNumber(long long number) {
    return number == 0 || (number >= firstExternalNumber && number <= lastExternalNumber);
}

std::optional<DisplayRecord> parse(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    if (fields.size() != 8)
        return std::nullopt;
    const std::optional<long long> displayNumber = number(fields[0], lastExternalNumber);
    const std::optional<long long> bus =
        fields[1] == "-" ? std::optional(-1LL) : number(fields[1], INT_MAX);
    const std::optional<std::string> serial = SerialField::unescape(fields[2]);
    const std::optional<std::vector<uint8_t>> edid = fromHex(fields[3]);
    const std::optional<long long> maximum =
        fields[4] == "-" ? std::optional(-1LL) : number(fields[4], 0xFFFF);
    const std::optional<Clock::time_point> seen = timeOf(fields[5]);
    const std::optional<std::string> name = SerialField::unescape(fields[6]);
    if (!displayNumber || !lumoraNumber(*displayNumber) || !bus || !serial || !edid ||
        edid->size() != edidSize || !maximum || !seen || !name ||
        (fields[7] != "0" && fields[7] != "1"))
        return std::nullopt;
    return DisplayRecord{.number = int(*displayNumber),
                         .bus = int(*bus),
                         .serial = *serial,
                         .edid = *edid,
                         .name = *name,
                         .ddc = fields[7] == "1",
                         .maximum = *maximum < 0 ? std::nullopt : std::optional(uint16_t(*maximum)),
                         .seen = *seen};
}

// No detection gives one number to two monitors or finds two on one bus.
bool consistent(const std::vector<DisplayRecord>& records) {
    std::set<int> numbers, buses;
    return std::all_of(records.begin(), records.end(), [&](const DisplayRecord& record) {
        return (record.number == 0 || numbers.insert(record.number).second) &&
               (!record.present() || buses.insert(record.bus).second);
    });
}

std::string line(const DisplayRecord& record) {
    return std::to_string(record.number) + '\t' +
           (record.present() ? std::to_string(record.bus) : "-") + '\t' +
           SerialField::escape(record.serial) + '\t' + toHex(record.edid) + '\t' +
           (record.maximum ? std::to_string(*record.maximum) : "-") + '\t' +
           millisecondsOf(record.seen) + '\t' + SerialField::escape(record.name) + '\t' +
           (record.ddc ? '1' : '0') + '\n';
}

bool storable(const DisplayRecord& record) {
    return record.edid.size() == edidSize;
}

} // namespace

DisplayCache::DisplayCache(std::optional<PrivateFolder> folder) : m_folder(std::move(folder)) {}

std::optional<DisplayCache::Contents> DisplayCache::load() const {
    std::optional<std::string> file = m_folder ? m_folder->read(fileName, sizeLimit) : std::nullopt;
    if (!file || !file->ends_with(std::string("\n") + lastLine))
        return std::nullopt;
    file->resize(file->size() - (sizeof lastLine - 1));
    std::stringstream lines(*file);
    std::string first;
    std::getline(lines, first);
    const std::optional<Clock::time_point> detected = detectionTime(first);
    if (!detected)
        return std::nullopt;
    Contents contents{.records = {}, .detected = *detected};
    for (std::string text; std::getline(lines, text);) {
        const std::optional<DisplayRecord> record = parse(text);
        if (!record)
            return std::nullopt;
        contents.records.push_back(*record);
    }
    if (!consistent(contents.records))
        return std::nullopt;
    return contents;
}

void DisplayCache::save(const Contents& contents) const {
    if (!m_folder)
        return;
    std::string text = firstWord + millisecondsOf(contents.detected) + '\n';
    for (const DisplayRecord& record : contents.records) {
        if (storable(record))
            text += line(record);
    }
    (void)m_folder->write(fileName, text + lastLine);
}

} // namespace lumora::ddc
