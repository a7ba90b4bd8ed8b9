#pragma once
// A success-or-failure value, for results that cross a subsystem boundary.

#include <utility>
#include <variant>

namespace Foundation {

struct Void {};

template <class T, class E>
class Result {
public:
    static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
    static Result failure(E error) { return Result(std::in_place_index<1>, std::move(error)); }

    bool isSuccess() const { return value_.index() == 0; }
    bool isFailure() const { return value_.index() == 1; }
    const T& value() const { return std::get<0>(value_); }
    T& value() { return std::get<0>(value_); }
    const E& error() const { return std::get<1>(value_); }

private:
    template <size_t I, class V>
    Result(std::in_place_index_t<I> i, V&& v) : value_(i, std::forward<V>(v)) {}
    std::variant<T, E> value_;
};

} // namespace Foundation
