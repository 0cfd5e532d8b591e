#pragma once

#include "control/Failure.h"

#include <optional>
#include <utility>
#include <variant>

namespace lumora {

// The value of an operation that may fail, or its failure.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}
    Result(ControlError error) : Result(Failure(std::move(error))) {}
    Result(PlatformError error) : Result(Failure(std::move(error))) {}

    bool ok() const { return m_state.index() == 0; }
    const T& value() const { return std::get<0>(m_state); }
    const Failure& failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, Failure> m_state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_failure(std::move(failure)) {}
    Result(ControlError error) : Result(Failure(std::move(error))) {}
    Result(PlatformError error) : Result(Failure(std::move(error))) {}

    bool ok() const { return !m_failure; }
    const Failure& failure() const { return *m_failure; }

private:
    std::optional<Failure> m_failure;
};

} // namespace lumora
