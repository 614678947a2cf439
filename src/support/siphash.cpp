#include "support/siphash.h"

#include <cstddef>

namespace qx {
namespace {

constexpr std::uint64_t rotl(std::uint64_t x, int b) noexcept {
    return (x << b) | (x >> (64 - b));
}

struct State {
    std::uint64_t v0, v1, v2, v3;

    void round() noexcept {
        v0 += v1;
        v1 = rotl(v1, 13);
        v1 ^= v0;
        v0 = rotl(v0, 32);
        v2 += v3;
        v3 = rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = rotl(v1, 17);
        v1 ^= v2;
        v2 = rotl(v2, 32);
    }

    void compress(std::uint64_t m, int rounds) noexcept {
        v3 ^= m;
        for (int i = 0; i < rounds; ++i) {
            round();
        }
        v0 ^= m;
    }
};

std::uint64_t load_le(const unsigned char* p, std::size_t n) noexcept {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    }
    return v;
}

}  // namespace

std::uint64_t siphash(std::string_view bytes, SipHashKey key, int c_rounds, int d_rounds) noexcept {
    State s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL,
            key.k0 ^ 0x6c7967656e657261ULL, key.k1 ^ 0x7465646279746573ULL};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t len = bytes.size();
    const std::size_t whole = len - len % 8;
    for (std::size_t i = 0; i < whole; i += 8) {
        s.compress(load_le(p + i, 8), c_rounds);
    }
    // The last block holds the remaining bytes and the message length (mod 256) in its top byte.
    const std::uint64_t last =
        load_le(p + whole, len - whole) | (static_cast<std::uint64_t>(len) << 56);
    s.compress(last, c_rounds);
    s.v2 ^= 0xff;
    for (int i = 0; i < d_rounds; ++i) {
        s.round();
    }
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace qx
