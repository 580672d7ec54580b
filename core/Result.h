#pragma once
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vantix {

// Why an operation failed, in words a user or the event log can show.
struct Error {
    std::string text;
};

inline Error Fail(std::string text) { return Error{std::move(text)}; }

// A value or the reason there is none: what functions of the lower layers
// return instead of filling an error string passed in by reference.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    explicit operator bool() const { return state_.index() == 0; }
    bool ok() const { return state_.index() == 0; }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }

    const std::string& error() const { return std::get<1>(state_).text; }

private:
    std::variant<T, Error> state_;
};

// Success or the reason for a failure.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error.text)) {}

    explicit operator bool() const { return !error_; }
    bool ok() const { return !error_; }
    const std::string& error() const { return *error_; }

private:
    std::optional<std::string> error_;
};

} // namespace vantix
