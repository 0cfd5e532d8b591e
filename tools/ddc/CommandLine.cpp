#include "ddc/CommandLine.h"

#include <cerrno>
#include <cstdlib>

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

} // namespace lumora::ddc
