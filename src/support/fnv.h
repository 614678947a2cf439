// FNV-1a hashes, 32 and 64 bit. The market-data formats checksum with the 32-bit variant, the
// execution formats with the 64-bit one. Both can be extended piece by piece: hashing a buffer
// in several calls gives the same value as hashing it in one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qx {

inline constexpr std::uint32_t kFnv1a32Offset = 0x811C9DC5u;
inline constexpr std::uint32_t kFnv1a32Prime = 0x01000193u;
inline constexpr std::uint64_t kFnv1a64Offset = 0xCBF29CE484222325ull;
inline constexpr std::uint64_t kFnv1a64Prime = 0x00000100000001B3ull;

// Continues the 32-bit hash `h` over `size` bytes.
inline std::uint32_t fnv1a32_extend(std::uint32_t h, const void* data, std::size_t size) noexcept {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= kFnv1a32Prime;
    }
    return h;
}

// Continues the 32-bit hash `h` over `count` zero bytes.
inline std::uint32_t fnv1a32_extend_zeros(std::uint32_t h, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        h *= kFnv1a32Prime;  // h ^ 0 == h
    }
    return h;
}

inline std::uint32_t fnv1a32(const void* data, std::size_t size) noexcept {
    return fnv1a32_extend(kFnv1a32Offset, data, size);
}

inline std::uint32_t fnv1a32(std::string_view text) noexcept {
    return fnv1a32(text.data(), text.size());
}

// Continues the 64-bit hash `h` over `size` bytes.
inline std::uint64_t fnv1a64_extend(std::uint64_t h, const void* data, std::size_t size) noexcept {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= kFnv1a64Prime;
    }
    return h;
}

inline std::uint64_t fnv1a64_extend_zeros(std::uint64_t h, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        h *= kFnv1a64Prime;
    }
    return h;
}

inline std::uint64_t fnv1a64(const void* data, std::size_t size) noexcept {
    return fnv1a64_extend(kFnv1a64Offset, data, size);
}

inline std::uint64_t fnv1a64(std::string_view text) noexcept {
    return fnv1a64(text.data(), text.size());
}

}  // namespace qx
