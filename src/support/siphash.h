// SipHash, the keyed 64-bit hash, with a selectable number of compression and finalisation
// rounds. The configuration digest uses SipHash-1-3; SipHash-2-4 is the original variant.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

struct SipHashKey {
    std::uint64_t k0 = 0;  // key bytes 0..7, little-endian
    std::uint64_t k1 = 0;  // key bytes 8..15, little-endian
};

// SipHash-c-d of `bytes` under `key`.
std::uint64_t siphash(std::string_view bytes, SipHashKey key, int c_rounds, int d_rounds) noexcept;

inline std::uint64_t siphash13(std::string_view bytes, SipHashKey key = {}) noexcept {
    return siphash(bytes, key, 1, 3);
}

inline std::uint64_t siphash24(std::string_view bytes, SipHashKey key = {}) noexcept {
    return siphash(bytes, key, 2, 4);
}

}  // namespace qx
