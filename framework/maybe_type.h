// MaybeType<E, T>: the result of an operation that yields a T or fails with an E (a Failure, for
// requests and awaited operations). MaybeType<E, void> carries no value on success.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace Zarn {

template <typename E, typename T>
class MaybeType {
public:
    MaybeType(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    MaybeType(E error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool Succeeded() const noexcept { return state_.index() == 0; }
    bool Failed() const noexcept { return state_.index() == 1; }

    // Only on success.
    T& Value() & { return std::get<0>(state_); }
    const T& Value() const& { return std::get<0>(state_); }
    T&& Value() && { return std::get<0>(std::move(state_)); }
    // Only on failure.
    const E& Error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

template <typename E>
class MaybeType<E, void> {
public:
    MaybeType() = default;
    MaybeType(E error) : error_(std::move(error)) {}

    static MaybeType Success() { return MaybeType(); }

    bool Succeeded() const noexcept { return !error_.has_value(); }
    bool Failed() const noexcept { return error_.has_value(); }
    // Only on failure.
    const E& Error() const { return *error_; }

private:
    std::optional<E> error_;
};

}  // namespace Zarn
