// Reading a normalized market-data record (QXNE) back from a write-ahead-log frame, for replay
// tools and tests.
#pragma once

#include <cstdint>
#include <span>

#include "persist/market_data_wal_frame.h"
#include "persist/normalized_codec/codec_error.h"
#include "persist/normalized_codec/normalized_record.h"
#include "support/expected.h"

namespace qx::persist {

using NormalizedDecodeResult = Expected<NormalizedMarketDataRecord, NormalizedMarketDataCodecError>;

// Decodes the QXNE bytes of a frame of kind `wal_kind`. The checks run in this order: length
// below 36, magic, version, reserved byte, record kind against the frame kind (a frame kind that
// carries no normalized record never matches), side byte, book-action byte (0 for a trade, 1 or
// 2 for a book update), total length, UTF-8 of venue and symbol. Sequence and timestamps, which
// live in the frame header, are left 0.
NormalizedDecodeResult decode_normalized_record(std::span<const std::uint8_t> bytes,
                                                std::uint16_t wal_kind);

// Decodes a frame read back from the log: the payload as above, with the event's sequence taken
// from source_sequence_1 and its timestamps from the frame header.
NormalizedDecodeResult decode_normalized_wal_record(const MarketDataWalRecord& record);

}  // namespace qx::persist
