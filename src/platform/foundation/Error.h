#pragma once

#include <string>
#include <utility>
#include <variant>

namespace folio {

// The one error type: where the original answered nil or NO with an error,
// Folio answers a Result carrying either the value or this.
struct Error {
    std::string domain;
    int code = 0;
    std::string message;

    friend bool operator==(const Error&, const Error&) = default;
};

// A value or an Error. No exception crosses a layer.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(m_state); }

    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, Error> m_state;
};

// For operations that produce nothing but can fail.
class Status {
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)), m_failed(true) {}

    static Status success() { return Status(); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_failed = false;
};

} // namespace folio
