#include "ddc/CommandLine.h"

#include "ddc/SerialField.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace lumora::ddc {

std::optional<long long> parseUnsigned(const std::string& text, long long limit) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || value > static_cast<unsigned long long>(limit))
        return std::nullopt;
    return static_cast<long long>(value);
}

std::optional<long long> parseSigned(const std::string& text) {
    const size_t start = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == start || text.find_first_not_of("0123456789", start) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return std::nullopt;
    return value;
}

Outcome failed(const Failure& failure, const std::string& usage) {
    Outcome outcome{failure.exitStatus(), {}, failure.message + "\n"};
    if (failure.kind == Failure::Kind::Usage)
        outcome.err += usage;
    return outcome;
}

Failure usageError(std::string message) {
    return {Failure::Kind::Usage, std::move(message)};
}

Result<std::string, Failure> parseSerialField(const std::string& value) {
    // An option in its place means the serial was left out.
    if (value.empty() || value.rfind("--", 0) == 0)
        return usageError("参数错误：--sn 后面缺少序列号");
    const std::optional<std::string> field = SerialField::canonical(value);
    if (!field)
        return usageError("参数错误：无效的序列号 “" + printable(value) +
                          "”（反斜杠只用于 \\xHH 和 \\edid:）");
    return *field;
}

namespace {

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when it is not valid.
std::pair<size_t, char32_t> decode(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(at);
    const size_t length = lead < 0x80         ? 1
                          : lead >> 5 == 0x6  ? 2
                          : lead >> 4 == 0xE  ? 3
                          : lead >> 3 == 0x1E ? 4
                                              : 0;
    if (length == 0 || at + length > text.size())
        return {0, 0};
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (byte(at + i) >> 6 != 0x2)
            return {0, 0};
        point = point << 6 | (byte(at + i) & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return {0, 0};
    return {length, point};
}

bool shownAsItIs(char32_t point) {
    return point >= 0x20 && point != 0x7F && !(point >= 0x80 && point <= 0x9F) && point != 0x2028 &&
           point != 0x2029;
}

} // namespace

std::string printable(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    constexpr size_t longest = 64;
    std::string shown;
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++characters) {
        if (characters == longest)
            return shown + "…";
        const auto [length, point] = decode(text, at);
        if (length > 0 && shownAsItIs(point)) {
            shown += text.substr(at, length);
            at += length;
            continue;
        }
        for (size_t i = at; i < at + std::max<size_t>(length, 1); ++i)
            shown += std::string("\\x") + digits[uint8_t(text[i]) >> 4] + digits[text[i] & 0xF];
        at += std::max<size_t>(length, 1);
    }
    return shown;
}

} // namespace lumora::ddc
