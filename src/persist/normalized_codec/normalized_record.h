// A normalized market-data record: one trade or one order-book level update with its quality
// flags, in the form market-data persistence stores it. Its binary form (magic QXNE, version 1)
// is a 36-byte little-endian header followed by the venue and symbol bytes:
//
//   0 magic "QXNE" | 4 version u16 | 6 kind u8 | 7 reserved u8 = 0 | 8 venue length u16 |
//   10 symbol length u16 | 12 side + 1 u8 | 13 book action + 1 u8 (0 for a trade) |
//   14 book level u16 (0 for a trade) | 16 price i64 | 24 size i64 | 32 quality flags u32 |
//   36 venue bytes | symbol bytes
//
// The sequence and the two timestamps are not part of the record: they travel in the header of
// the write-ahead-log frame that carries it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/market_data.h"
#include "persist/normalized_codec/codec_error.h"
#include "support/expected.h"

namespace qx::persist {

// The record kind; the same numbers are the write-ahead-log frame kinds that carry them.
enum class NormalizedMarketDataKind : std::uint8_t { BookUpdate = 1, Trade = 2 };

inline constexpr std::uint16_t kNormalizedRecordVersion = 1;
inline constexpr std::size_t kNormalizedHeaderBytes = 36;
inline constexpr std::size_t kMaxNormalizedIdentifierBytes = 65535;

// 36 + venue length + symbol length: the encoded size of a record.
inline constexpr std::uint64_t normalized_record_size(std::size_t venue_len,
                                                      std::size_t symbol_len) noexcept {
    return kNormalizedHeaderBytes + static_cast<std::uint64_t>(venue_len) +
           static_cast<std::uint64_t>(symbol_len);
}

// One event to encode; views venue and symbol text it does not own.
struct NormalizedMarketDataRecordInput {
    NormalizedMarketDataKind kind = NormalizedMarketDataKind::Trade;
    std::uint32_t quality_flags = 0;
    std::string_view venue;
    std::string_view symbol;
    std::int64_t price = 0;
    std::int64_t size = 0;
    std::uint64_t sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
    Side side = Side::Bid;                   // the book side, or the trade's aggressor
    std::uint16_t level = 0;                 // book updates only
    BookAction action = BookAction::Upsert;  // book updates only

    // Replaces the contents of `out` with the record's QXNE bytes. Fails, leaving `out`
    // untouched, when the venue (checked first) or the symbol is longer than 65535 bytes.
    Expected<void, NormalizedMarketDataCodecError> encode_into(
        std::vector<std::uint8_t>& out) const;

    std::uint64_t encoded_size() const noexcept {
        return normalized_record_size(venue.size(), symbol.size());
    }
};

// The same event with owned texts: what producers hand to the background writer.
struct NormalizedMarketDataRecord {
    NormalizedMarketDataKind kind = NormalizedMarketDataKind::Trade;
    std::uint32_t quality_flags = 0;
    std::string venue;
    std::string symbol;
    std::int64_t price = 0;
    std::int64_t size = 0;
    std::uint64_t sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
    Side side = Side::Bid;
    std::uint16_t level = 0;
    BookAction action = BookAction::Upsert;

    static NormalizedMarketDataRecord from_trade(const TradePrint& trade,
                                                 std::uint32_t quality_flags);
    static NormalizedMarketDataRecord from_book_update(const BookUpdate& update,
                                                       std::uint32_t quality_flags);

    // The event back in the market-data model (for replaying a recorded log). Meaningful for
    // the record's own kind only.
    TradePrint to_trade_print() const;
    BookUpdate to_book_update() const;

    NormalizedMarketDataRecordInput input() const noexcept {
        return {kind,     quality_flags,  venue,      symbol, price, size,
                sequence, ts_exchange_ns, ts_recv_ns, side,   level, action};
    }
    std::uint64_t encoded_size() const noexcept {
        return normalized_record_size(venue.size(), symbol.size());
    }

    friend bool operator==(const NormalizedMarketDataRecord&,
                           const NormalizedMarketDataRecord&) = default;
};

}  // namespace qx::persist
