#pragma once

#include <string>
#include <utility>
#include <variant>

namespace lumora::ddc {

// Why a DDC operation failed, and the exit status a tool reports for it.
struct Failure {
    enum class Kind { Usage = 2, NotFound = 3, NoAccess = 4, Communication = 1 };

    Kind kind;
    std::string message; // one line, UTF-8, for standard error

    int exitStatus() const { return int(kind); }
};

struct Done {};

// A value or the failure that kept it from being made.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    const T& value() const { return std::get<0>(m_state); }
    T& value() { return std::get<0>(m_state); }
    const Failure& failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, Failure> m_state;
};

inline Failure communicationFailure(std::string message) {
    return {Failure::Kind::Communication, std::move(message)};
}

} // namespace lumora::ddc
