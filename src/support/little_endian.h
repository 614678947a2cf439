// Little-endian integer fields in byte buffers, as every binary format of the library stores
// them. The readers take a pointer to at least sizeof(T) readable bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace qx::le {

template <typename T>
inline void put(unsigned char* dst, T value) noexcept {
    using U = std::make_unsigned_t<T>;
    U v = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        dst[i] = static_cast<unsigned char>(v & 0xFFu);
        if constexpr (sizeof(T) > 1) {
            v = static_cast<U>(v >> 8);
        }
    }
}

template <typename T>
inline T get(const unsigned char* src) noexcept {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (std::size_t i = sizeof(T); i > 0; --i) {
        v = static_cast<U>((static_cast<std::uint64_t>(v) << 8) | src[i - 1]);
    }
    return static_cast<T>(v);
}

// Appends `value` to `out` in little-endian order.
template <typename T>
inline void append(std::vector<std::uint8_t>& out, T value) {
    unsigned char b[sizeof(T)];
    put(b, value);
    out.insert(out.end(), b, b + sizeof(T));
}

}  // namespace qx::le
