// Failures of the background writer's producer and control operations.
#pragma once

#include <cstdint>
#include <string>

#include "persist/normalized_codec/codec_error.h"
#include "persist/normalized_codec/normalized_record.h"

namespace qx::persist {

enum class NormalizedWriterTryErrorKind : std::uint8_t {
    QueueFull,
    PayloadByteQueueFull,
    PayloadTooLarge,
    Codec,
    Stopped,
};

// An admission refused; the record comes back to the caller, who may keep or drop it.
struct NormalizedMarketDataWriterTryError {
    NormalizedWriterTryErrorKind kind = NormalizedWriterTryErrorKind::Stopped;
    NormalizedMarketDataCodecError codec;  // Codec only
    NormalizedMarketDataRecord record;

    std::string message() const;
};

enum class MarketDataWriterControlErrorKind : std::uint8_t { Stopped, Persistence, Panicked };

// A flush or shutdown that did not succeed.
struct MarketDataWriterControlError {
    MarketDataWriterControlErrorKind kind = MarketDataWriterControlErrorKind::Stopped;
    std::string detail;  // Persistence only: the failure's text

    static MarketDataWriterControlError stopped() {
        return {MarketDataWriterControlErrorKind::Stopped, {}};
    }
    static MarketDataWriterControlError persistence(std::string text) {
        return {MarketDataWriterControlErrorKind::Persistence, std::move(text)};
    }
    static MarketDataWriterControlError panicked() {
        return {MarketDataWriterControlErrorKind::Panicked, {}};
    }

    std::string message() const;

    friend bool operator==(const MarketDataWriterControlError&,
                           const MarketDataWriterControlError&) = default;
};

}  // namespace qx::persist
