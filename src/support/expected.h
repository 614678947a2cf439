// Errors are values: Expected<T, E> holds either a result or an error.
//
//   Expected<int, std::string> parse(...);
//   if (!r) return Unexpected(r.error());
//   use(*r);
//
// Expected<void, E> carries only success or an error.
#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace qx {

template <typename E>
struct Unexpected {
    E error;
    explicit Unexpected(E e) : error(std::move(e)) {}
};
template <typename E>
Unexpected(E) -> Unexpected<E>;

template <typename T, typename E>
class [[nodiscard]] Expected {
  public:
    template <typename U = T, typename = std::enable_if_t<std::is_constructible_v<T, U&&>>>
    Expected(U&& value) : v_(std::in_place_index<0>, std::forward<U>(value)) {}
    template <typename G>
    Expected(Unexpected<G> u) : v_(std::in_place_index<1>, std::move(u.error)) {}

    bool has_value() const noexcept { return v_.index() == 0; }
    explicit operator bool() const noexcept { return has_value(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    E& error() & { return std::get<1>(v_); }
    const E& error() const& { return std::get<1>(v_); }
    E&& error() && { return std::get<1>(std::move(v_)); }

  private:
    std::variant<T, E> v_;
};

template <typename E>
class [[nodiscard]] Expected<void, E> {
  public:
    Expected() = default;
    template <typename G>
    Expected(Unexpected<G> u) : err_(std::move(u.error)), ok_(false) {}

    bool has_value() const noexcept { return ok_; }
    explicit operator bool() const noexcept { return ok_; }
    E& error() & { return err_; }
    const E& error() const& { return err_; }

  private:
    E err_{};
    bool ok_ = true;
};

}  // namespace qx
