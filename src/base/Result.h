#pragma once

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace lumora {

// The value of an operation that may fail, or the error that kept it from being made. Used by
// the application and by the command-line tools alike, so it depends on nothing but the
// standard library.
template <typename T, typename E> class [[nodiscard]] Result {
public:
    template <typename V, std::enable_if_t<std::is_convertible_v<V, T>, int> = 0>
    Result(V&& value) : m_state(std::in_place_index<0>, std::forward<V>(value)) {}
    template <
        typename F,
        std::enable_if_t<!std::is_convertible_v<F, T> && std::is_constructible_v<E, F>, int> = 0>
    Result(F&& error) : m_state(std::in_place_index<1>, std::forward<F>(error)) {}

    bool ok() const { return m_state.index() == 0; }
    const T& value() const { return std::get<0>(m_state); }
    T& value() { return std::get<0>(m_state); }
    const E& failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, E> m_state;
};

// An operation that yields nothing but may fail.
template <typename E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <typename F, std::enable_if_t<std::is_constructible_v<E, F>, int> = 0>
    Result(F&& error) : m_failure(std::in_place, std::forward<F>(error)) {}

    bool ok() const { return !m_failure; }
    const E& failure() const { return *m_failure; }

private:
    std::optional<E> m_failure;
};

} // namespace lumora
