#pragma once

#include "base/Result.h"

#include <string>
#include <utility>

namespace lumora::ddc {

// Why a DDC operation failed, and the exit status a tool reports for it.
struct Failure {
    enum class Kind { Usage = 2, NotFound = 3, NoAccess = 4, Communication = 1 };

    Kind kind;
    std::string message; // one line, UTF-8, for standard error

    int exitStatus() const { return int(kind); }
};

inline Failure communicationFailure(std::string message) {
    return {Failure::Kind::Communication, std::move(message)};
}

} // namespace lumora::ddc
