#include "persist/normalized_codec/normalized_record.h"

#include <cstring>

#include "support/little_endian.h"

namespace qx::persist {

Expected<void, NormalizedMarketDataCodecError> NormalizedMarketDataRecordInput::encode_into(
    std::vector<std::uint8_t>& out) const {
    if (venue.size() > kMaxNormalizedIdentifierBytes) {
        return Unexpected(NormalizedMarketDataCodecError{NormalizedCodecErrorKind::VenueTooLong});
    }
    if (symbol.size() > kMaxNormalizedIdentifierBytes) {
        return Unexpected(NormalizedMarketDataCodecError{NormalizedCodecErrorKind::SymbolTooLong});
    }
    const bool book = kind == NormalizedMarketDataKind::BookUpdate;
    out.resize(static_cast<std::size_t>(encoded_size()));
    unsigned char* p = out.data();
    std::memcpy(p, "QXNE", 4);
    le::put<std::uint16_t>(p + 4, kNormalizedRecordVersion);
    p[6] = static_cast<unsigned char>(kind);
    p[7] = 0;
    le::put<std::uint16_t>(p + 8, static_cast<std::uint16_t>(venue.size()));
    le::put<std::uint16_t>(p + 10, static_cast<std::uint16_t>(symbol.size()));
    p[12] = static_cast<unsigned char>(static_cast<unsigned>(side) + 1u);
    p[13] = book ? static_cast<unsigned char>(static_cast<unsigned>(action) + 1u) : 0;
    le::put<std::uint16_t>(p + 14, book ? level : 0);
    le::put<std::int64_t>(p + 16, price);
    le::put<std::int64_t>(p + 24, size);
    le::put<std::uint32_t>(p + 32, quality_flags);
    if (!venue.empty()) {
        std::memcpy(p + kNormalizedHeaderBytes, venue.data(), venue.size());
    }
    if (!symbol.empty()) {
        std::memcpy(p + kNormalizedHeaderBytes + venue.size(), symbol.data(), symbol.size());
    }
    return {};
}

NormalizedMarketDataRecord NormalizedMarketDataRecord::from_trade(const TradePrint& trade,
                                                                  std::uint32_t quality_flags) {
    NormalizedMarketDataRecord r;
    r.kind = NormalizedMarketDataKind::Trade;
    r.quality_flags = quality_flags;
    r.venue = trade.symbol.venue;
    r.symbol = trade.symbol.symbol;
    r.price = trade.price;
    r.size = trade.size;
    r.sequence = trade.sequence;
    r.ts_exchange_ns = trade.ts_exchange_ns;
    r.ts_recv_ns = trade.ts_recv_ns;
    r.side = trade.aggressor;
    return r;
}

NormalizedMarketDataRecord NormalizedMarketDataRecord::from_book_update(
    const BookUpdate& update, std::uint32_t quality_flags) {
    NormalizedMarketDataRecord r;
    r.kind = NormalizedMarketDataKind::BookUpdate;
    r.quality_flags = quality_flags;
    r.venue = update.symbol.venue;
    r.symbol = update.symbol.symbol;
    r.price = update.price;
    r.size = update.size;
    r.sequence = update.sequence;
    r.ts_exchange_ns = update.ts_exchange_ns;
    r.ts_recv_ns = update.ts_recv_ns;
    r.side = update.side;
    r.level = update.level;
    r.action = update.action;
    return r;
}

TradePrint NormalizedMarketDataRecord::to_trade_print() const {
    TradePrint t;
    t.symbol = SymbolId{venue, symbol};
    t.price = price;
    t.size = size;
    t.aggressor = side;
    t.sequence = sequence;
    t.ts_exchange_ns = ts_exchange_ns;
    t.ts_recv_ns = ts_recv_ns;
    return t;
}

BookUpdate NormalizedMarketDataRecord::to_book_update() const {
    BookUpdate u;
    u.symbol = SymbolId{venue, symbol};
    u.side = side;
    u.level = level;
    u.price = price;
    u.size = size;
    u.action = action;
    u.sequence = sequence;
    u.ts_exchange_ns = ts_exchange_ns;
    u.ts_recv_ns = ts_recv_ns;
    return u;
}

}  // namespace qx::persist
