#include "ddc/SerialField.h"

namespace lumora::ddc {

namespace {

constexpr char tokenStart[] = "\\edid:";
constexpr size_t identityOffset = 8, identitySize = 8;
constexpr size_t tokenSize = sizeof tokenStart - 1 + 2 * identitySize;

std::string hex(uint8_t byte) {
    static const char digits[] = "0123456789abcdef";
    return {digits[byte >> 4], digits[byte & 0xF]};
}

std::optional<uint8_t> hexAt(const std::string& text, size_t at) {
    const auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            return (c | 0x20) - 'a' + 10;
        return -1;
    };
    if (at + 2 > text.size() || value(text[at]) < 0 || value(text[at + 1]) < 0)
        return std::nullopt;
    return uint8_t(value(text[at]) << 4 | value(text[at + 1]));
}

std::optional<std::string> canonicalToken(const std::string& given) {
    if (given.size() != tokenSize)
        return std::nullopt;
    std::string token = tokenStart;
    for (size_t at = sizeof tokenStart - 1; at < given.size(); at += 2) {
        const std::optional<uint8_t> byte = hexAt(given, at);
        if (!byte)
            return std::nullopt;
        token += hex(*byte);
    }
    return token;
}

} // namespace

std::string SerialField::of(const std::string& serial, const std::vector<uint8_t>& edid) {
    if (!serial.empty() || edid.size() < identityOffset + identitySize)
        return escape(serial);
    std::string token = tokenStart;
    for (size_t i = identityOffset; i < identityOffset + identitySize; ++i)
        token += hex(edid[i]);
    return token;
}

std::string SerialField::escape(const std::string& text) {
    std::string field;
    for (const char c : text) {
        if (c >= 0x20 && c <= 0x7E && c != '\\')
            field += c;
        else
            field += "\\x" + hex(uint8_t(c));
    }
    return field;
}

std::optional<std::string> SerialField::unescape(const std::string& field) {
    std::string text;
    for (size_t at = 0; at < field.size(); ++at) {
        if (field[at] != '\\') {
            text += field[at];
            continue;
        }
        const std::optional<uint8_t> byte =
            field.compare(at + 1, 1, "x") == 0 ? hexAt(field, at + 2) : std::nullopt;
        if (!byte)
            return std::nullopt;
        text += char(*byte);
        at += 3;
    }
    return text;
}

std::optional<std::string> SerialField::canonical(const std::string& given) {
    if (given.rfind(tokenStart, 0) == 0)
        return canonicalToken(given);
    const std::optional<std::string> text = unescape(given);
    return text ? std::optional(escape(*text)) : std::nullopt;
}

} // namespace lumora::ddc
