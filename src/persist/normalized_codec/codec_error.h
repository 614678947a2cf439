// Failures of encoding and decoding a normalized market-data record (magic QXNE).
#pragma once

#include <cstdint>
#include <string>

namespace qx::persist {

enum class NormalizedCodecErrorKind : std::uint8_t {
    VenueTooLong = 0,     // venue longer than 65535 bytes
    SymbolTooLong = 1,    // symbol longer than 65535 bytes
    TruncatedHeader = 2,  // fewer than 36 bytes
    BadMagic = 3,         // magic is not QXNE
    UnsupportedVersion = 4,
    ReservedNonzero = 5,  // byte 7 is not zero
    KindMismatch = 6,     // record kind differs from the enclosing frame's kind
    BadSide = 7,
    BadBookAction = 8,
    BadLength = 9,  // length is not 36 + venue length + symbol length
    NotUtf8 = 10,   // venue or symbol bytes are not UTF-8
};

struct NormalizedMarketDataCodecError {
    NormalizedCodecErrorKind kind = NormalizedCodecErrorKind::VenueTooLong;
    // The offending value for UnsupportedVersion (the version), BadSide and BadBookAction (the
    // stored byte); 0 otherwise.
    std::uint16_t value = 0;

    std::string message() const;

    friend bool operator==(const NormalizedMarketDataCodecError&,
                           const NormalizedMarketDataCodecError&) = default;
};

}  // namespace qx::persist
