// Fixed-capacity ASCII identifiers stored inline: a length byte and N bytes, no heap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "execution_core/execution_core_error.h"
#include "support/expected.h"

namespace qx::exec {

// At most N ASCII characters. Only the first length() bytes are meaningful; the rest are zero
// when built here and are ignored by equality and hashing. The empty identifier means "absent"
// wherever a field is optional.
template <std::size_t N>
class FixedAscii {
    static_assert(N > 0 && N <= 255, "the length is stored in one byte");

  public:
    static constexpr std::size_t kCapacity = N;

    constexpr FixedAscii() noexcept = default;

    // Checks the byte length first (IdentifierTooLong), then that every byte is below 0x80
    // (NotAscii). Never truncates; control characters, spaces and the empty text are accepted.
    static Expected<FixedAscii, ExecutionCoreError> from_text(std::string_view text) noexcept {
        if (text.size() > N) {
            return Unexpected(ExecutionCoreError::identifier_too_long(text.size(), N));
        }
        FixedAscii out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (static_cast<unsigned char>(text[i]) >= 0x80) {
                return Unexpected(ExecutionCoreError::not_ascii());
            }
            out.bytes_[i] = text[i];
        }
        out.length_ = static_cast<std::uint8_t>(text.size());
        return out;
    }

    // A compile-time constant; an over-long or non-ASCII literal does not compile.
    template <std::size_t M>
    static consteval FixedAscii literal(const char (&text)[M]) {
        static_assert(M - 1 <= N, "literal exceeds the identifier's capacity");
        FixedAscii out;
        for (std::size_t i = 0; i + 1 < M; ++i) {
            if (static_cast<unsigned char>(text[i]) >= 0x80) {
                throw "identifier literal must be ASCII";
            }
            out.bytes_[i] = text[i];
        }
        out.length_ = static_cast<std::uint8_t>(M - 1);
        return out;
    }

    constexpr std::string_view text() const noexcept { return {bytes_.data(), length_}; }
    constexpr std::size_t length() const noexcept { return length_; }
    constexpr bool empty() const noexcept { return length_ == 0; }

    friend constexpr bool operator==(const FixedAscii& a, const FixedAscii& b) noexcept {
        return a.text() == b.text();
    }

  private:
    std::uint8_t length_ = 0;
    std::array<char, N> bytes_{};
};

// Hashes the meaningful text only, consistent with equality.
struct FixedAsciiHash {
    template <std::size_t N>
    std::size_t operator()(const FixedAscii<N>& id) const noexcept {
        return std::hash<std::string_view>{}(id.text());
    }
};

using VenueCode = FixedAscii<16>;
using SymbolCode = FixedAscii<32>;
using AccountId = FixedAscii<32>;
using RouteId = FixedAscii<32>;
using OrderTag = FixedAscii<32>;
using ClientOrderId = FixedAscii<40>;
using VenueOrderId = FixedAscii<48>;
using ExecutionId = FixedAscii<48>;
using EventText = FixedAscii<128>;

}  // namespace qx::exec
