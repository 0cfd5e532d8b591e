#pragma once

#include "ddc/Failure.h"

#include <optional>
#include <string>
#include <vector>

namespace lumora::ddc {

// What a tool prints and the status it exits with.
struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

// "0x…" hexadecimal or plain decimal digits, within 0…limit.
std::optional<long long> parseUnsigned(const std::string& text, long long limit);
// Decimal digits with an optional sign, within the 64-bit range.
std::optional<long long> parseSigned(const std::string& text);

// A failure as a tool reports it: one line on standard error, and the usage text after a
// usage error.
Outcome failed(const Failure& failure, const std::string& usage);

Failure usageError(std::string message);

// The value after --sn: the monitor's serial field in the form detect --tabs prints it.
Result<std::string, Failure> parseSerialField(const std::string& value);

// A raw argument as a one-line message may quote it: printable UTF-8 as it is; control
// characters, escape sequences, line separators and invalid UTF-8 as \xNN, byte by byte; cut
// with "…" after 64 characters.
std::string printable(const std::string& text);

} // namespace lumora::ddc
