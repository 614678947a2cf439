// Two's-complement wrapping arithmetic on signed 64-bit values: the plain machine result, with
// overflow defined instead of undefined. Used where running sums carry no overflow guard.
#pragma once

#include <cstdint>

namespace qx {

constexpr std::int64_t wrapping_add(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

constexpr std::int64_t wrapping_sub(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

constexpr std::int64_t wrapping_neg(std::int64_t a) noexcept {
    return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(a));
}

constexpr std::int64_t wrapping_mul(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

// 128-bit accumulation (notional sums) wrapping at 2^128.
constexpr __int128 wrapping_add(__int128 a, __int128 b) noexcept {
    using U = unsigned __int128;
    return static_cast<__int128>(static_cast<U>(a) + static_cast<U>(b));
}

}  // namespace qx
