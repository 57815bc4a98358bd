// One way to report failure: a value, or the reason it could not be made.
//
// The reason is the exact text a caller logs or shows; `code` is for the few
// callers that need more than the text, such as the kind of failure or the
// line where it lies (0 when nobody does). A failure
// is built with `Failure{reason}` or `Failure{reason, code}` and converts to
// any Result<T>, so `return Failure{"changed on disk"};` works in every
// function that returns a Result.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace yomi {

struct Failure {
    std::string reason;
    int code = 0;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only on success.
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The value, or `fallback` on failure.
    template <typename U>
    T value_or(U&& fallback) const&
    {
        return ok() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(fallback));
    }
    template <typename U>
    T value_or(U&& fallback) &&
    {
        return ok() ? std::get<0>(std::move(state_)) : static_cast<T>(std::forward<U>(fallback));
    }

    // Only on failure.
    const Failure& failure() const { return std::get<1>(state_); }
    const std::string& reason() const { return failure().reason; }
    int code() const { return failure().code; }

private:
    std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), failure_(std::move(failure)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }

    const Failure& failure() const { return failure_; }
    const std::string& reason() const { return failure_.reason; }
    int code() const { return failure_.code; }

private:
    bool failed_ = false;
    Failure failure_;
};

using Status = Result<void>;

} // namespace yomi
