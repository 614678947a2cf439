// Saturating integer arithmetic: results clamp to the type's range instead of wrapping.
#pragma once

#include <cstdint>
#include <limits>

namespace qx {

inline std::int64_t sat_add(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t r;
    if (__builtin_add_overflow(a, b, &r)) {
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    }
    return r;
}

inline std::int64_t sat_sub(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t r;
    if (__builtin_sub_overflow(a, b, &r)) {
        return b < 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    }
    return r;
}

inline std::int64_t sat_mul(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t r;
    if (__builtin_mul_overflow(a, b, &r)) {
        return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min()
                                  : std::numeric_limits<std::int64_t>::max();
    }
    return r;
}

inline std::uint64_t sat_add(std::uint64_t a, std::uint64_t b) noexcept {
    std::uint64_t r;
    return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<std::uint64_t>::max() : r;
}

inline std::uint64_t sat_sub(std::uint64_t a, std::uint64_t b) noexcept {
    return a > b ? a - b : 0;
}

inline std::uint64_t sat_mul(std::uint64_t a, std::uint64_t b) noexcept {
    std::uint64_t r;
    return __builtin_mul_overflow(a, b, &r) ? std::numeric_limits<std::uint64_t>::max() : r;
}

// Division truncating toward zero that cannot trap: MIN / -1 saturates to MAX; a zero divisor
// is the caller's bug and gives 0.
inline std::int64_t sat_div(std::int64_t a, std::int64_t b) noexcept {
    if (b == 0) {
        return 0;
    }
    if (b == -1 && a == std::numeric_limits<std::int64_t>::min()) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return a / b;
}

}  // namespace qx
