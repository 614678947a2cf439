// Signed and unsigned 128-bit integers (a compiler extension of g++ and clang++) with the
// wrapping and saturating additions the order notionals and schedule targets need.
#pragma once

#include <cstdint>
#include <limits>

namespace qx {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

inline constexpr Int128 kInt128Max = static_cast<Int128>(~static_cast<UInt128>(0) >> 1);
inline constexpr Int128 kInt128Min = -kInt128Max - 1;

// Two's-complement addition and subtraction modulo 2^128 (no undefined overflow).
constexpr Int128 wrapping_add(Int128 a, Int128 b) noexcept {
    return static_cast<Int128>(static_cast<UInt128>(a) + static_cast<UInt128>(b));
}
constexpr Int128 wrapping_sub(Int128 a, Int128 b) noexcept {
    return static_cast<Int128>(static_cast<UInt128>(a) - static_cast<UInt128>(b));
}

// Addition clamped to [kInt128Min, kInt128Max].
inline Int128 sat_add(Int128 a, Int128 b) noexcept {
    Int128 r;
    if (__builtin_add_overflow(a, b, &r)) {
        return b > 0 ? kInt128Max : kInt128Min;
    }
    return r;
}

// The exact product of two signed 64-bit values (it always fits in 128 bits).
constexpr Int128 widening_mul(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<Int128>(a) * static_cast<Int128>(b);
}

}  // namespace qx
