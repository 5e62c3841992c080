#pragma once

#include <optional>
#include <utility>
#include <variant>

// Why a core operation failed. The window and the command line turn these
// into their own words.
enum class Failure {
    CannotOpen,  // missing, unreadable, or not a regular file
    TooLarge,  // over the size the operation accepts
    CannotWrite,  // not written; the old file, if any, is untouched
    Damaged,  // read, but not in the format it should have
    Missing,  // a value that is not there
    Busy,  // held by another run of the program
};

// The one shape of every core operation that can fail: either its value or
// the reason it has none. Result<> is for operations that give nothing but
// success. It converts to true on success, like std::optional.
template <typename T = std::monostate> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : failure_(failure) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const& { return *value_; }
    T& operator*() & { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }

    // Meaningful only when the operation failed.
    Failure failure() const { return failure_; }

private:
    std::optional<T> value_;
    Failure failure_ = Failure::CannotOpen;
};

// The success of an operation that gives no value.
inline Result<> Done() { return std::monostate{}; }
