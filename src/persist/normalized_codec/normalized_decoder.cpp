#include "persist/normalized_codec/normalized_decoder.h"

#include <cstring>
#include <string_view>

#include "support/little_endian.h"
#include "support/utf8.h"

namespace qx::persist {
namespace {

Unexpected<NormalizedMarketDataCodecError> fail(NormalizedCodecErrorKind kind,
                                                std::uint16_t value = 0) {
    return Unexpected(NormalizedMarketDataCodecError{kind, value});
}

}  // namespace

NormalizedDecodeResult decode_normalized_record(std::span<const std::uint8_t> bytes,
                                                std::uint16_t wal_kind) {
    using K = NormalizedCodecErrorKind;
    if (bytes.size() < kNormalizedHeaderBytes) {
        return fail(K::TruncatedHeader);
    }
    const std::uint8_t* p = bytes.data();
    if (std::memcmp(p, "QXNE", 4) != 0) {
        return fail(K::BadMagic);
    }
    const std::uint16_t version = le::get<std::uint16_t>(p + 4);
    if (version != kNormalizedRecordVersion) {
        return fail(K::UnsupportedVersion, version);
    }
    if (p[7] != 0) {
        return fail(K::ReservedNonzero);
    }
    const std::uint8_t kind = p[6];
    const bool known_kind =
        kind == static_cast<std::uint8_t>(NormalizedMarketDataKind::BookUpdate) ||
        kind == static_cast<std::uint8_t>(NormalizedMarketDataKind::Trade);
    if (!known_kind || kind != wal_kind) {
        return fail(K::KindMismatch);
    }
    const bool book = kind == static_cast<std::uint8_t>(NormalizedMarketDataKind::BookUpdate);
    if (p[12] != 1 && p[12] != 2) {
        return fail(K::BadSide, p[12]);
    }
    if (book ? (p[13] != 1 && p[13] != 2) : p[13] != 0) {
        return fail(K::BadBookAction, p[13]);
    }
    const std::uint16_t venue_len = le::get<std::uint16_t>(p + 8);
    const std::uint16_t symbol_len = le::get<std::uint16_t>(p + 10);
    if (bytes.size() != normalized_record_size(venue_len, symbol_len)) {
        return fail(K::BadLength);
    }
    const std::string_view venue(reinterpret_cast<const char*>(p + kNormalizedHeaderBytes),
                                 venue_len);
    const std::string_view symbol(
        reinterpret_cast<const char*>(p + kNormalizedHeaderBytes + venue_len), symbol_len);
    if (!is_valid_utf8(venue) || !is_valid_utf8(symbol)) {
        return fail(K::NotUtf8);
    }
    NormalizedMarketDataRecord r;
    r.kind = static_cast<NormalizedMarketDataKind>(kind);
    r.quality_flags = le::get<std::uint32_t>(p + 32);
    r.venue = std::string(venue);
    r.symbol = std::string(symbol);
    r.price = le::get<std::int64_t>(p + 16);
    r.size = le::get<std::int64_t>(p + 24);
    r.side = p[12] == 1 ? Side::Bid : Side::Ask;
    if (book) {
        r.level = le::get<std::uint16_t>(p + 14);
        r.action = p[13] == 1 ? BookAction::Upsert : BookAction::Delete;
    }
    return r;
}

NormalizedDecodeResult decode_normalized_wal_record(const MarketDataWalRecord& record) {
    NormalizedDecodeResult r = decode_normalized_record(record.payload, record.kind);
    if (r) {
        r->sequence = record.source_sequence_1;
        r->ts_exchange_ns = record.ts_exchange_ns;
        r->ts_recv_ns = record.ts_recv_ns;
    }
    return r;
}

}  // namespace qx::persist
