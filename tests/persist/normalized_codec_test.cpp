// The QXNE record: its byte layout, the identifier limits, and reading records back with every
// check of the decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "persist/normalized_codec/normalized_decoder.h"
#include "persist/normalized_codec/normalized_record.h"
#include "support/little_endian.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

using K = NormalizedCodecErrorKind;

TEST(NormalizedRecord, TradeLayout) {
    NormalizedMarketDataRecordInput in;
    in.kind = NormalizedMarketDataKind::Trade;
    in.venue = "X";
    in.symbol = "ABC";
    in.price = -5;
    in.size = 0x0102030405060708;
    in.quality_flags = 0x21;
    in.side = Side::Bid;
    in.level = 9;  // not stored for a trade
    in.action = BookAction::Delete;
    std::vector<std::uint8_t> out = {1, 2, 3};
    ASSERT_TRUE(in.encode_into(out));
    ASSERT_EQ(out.size(), 40u);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 4), "QXNE");
    EXPECT_EQ(le::get<std::uint16_t>(out.data() + 4), 1u);
    EXPECT_EQ(out[6], 2);
    EXPECT_EQ(out[7], 0);
    EXPECT_EQ(le::get<std::uint16_t>(out.data() + 8), 1u);
    EXPECT_EQ(le::get<std::uint16_t>(out.data() + 10), 3u);
    EXPECT_EQ(out[12], 1) << "Bid aggressor";
    EXPECT_EQ(out[13], 0) << "no action for a trade";
    EXPECT_EQ(le::get<std::uint16_t>(out.data() + 14), 0u) << "no level for a trade";
    EXPECT_EQ(le::get<std::int64_t>(out.data() + 16), -5);
    EXPECT_EQ(out[24], 0x08) << "little-endian size";
    EXPECT_EQ(le::get<std::uint32_t>(out.data() + 32), 0x21u);
    EXPECT_EQ(std::string(out.begin() + 36, out.end()), "XABC");
}

TEST(NormalizedRecord, BookUpdateSideActionLevel) {
    NormalizedMarketDataRecordInput in;
    in.kind = NormalizedMarketDataKind::BookUpdate;
    in.venue = "V";
    in.symbol = "S";
    in.side = Side::Ask;
    in.action = BookAction::Delete;
    in.level = 7;
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(in.encode_into(out));
    EXPECT_EQ(out[6], 1);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 12, out.begin() + 16),
              (std::vector<std::uint8_t>{2, 2, 7, 0}));
}

TEST(NormalizedRecord, IdentifierLimitsLeaveBufferUntouched) {
    const std::string max(65535, 'v');
    const std::string over(65536, 'v');
    NormalizedMarketDataRecordInput in;
    in.venue = max;
    in.symbol = max;
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(in.encode_into(out));
    EXPECT_EQ(out.size(), 36u + 2 * 65535u);

    const std::vector<std::uint8_t> before = {9, 9};
    struct Case {
        const std::string* venue;
        const std::string* symbol;
        K expected;
        const char* text;
    } cases[] = {
        {&over, &over, K::VenueTooLong, "normalized venue identifier is too long"},
        {&max, &over, K::SymbolTooLong, "normalized symbol identifier is too long"},
    };
    for (const Case& c : cases) {
        in.venue = *c.venue;
        in.symbol = *c.symbol;
        out = before;
        auto r = in.encode_into(out);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, c.expected);
        EXPECT_EQ(r.error().message(), c.text);
        EXPECT_EQ(out, before);
    }
}

TEST(NormalizedDecoder, RoundTripsTradesAndBookUpdates) {
    NormalizedMarketDataRecord trade = testing::sample_trade(42);
    NormalizedMarketDataRecord book = NormalizedMarketDataRecord::from_book_update(
        BookUpdate{SymbolId{"NASDAQ", "AAPL"}, Side::Ask, 3, 1890000, 12, BookAction::Delete, 77,
                   1000, 2000},
        0x8);
    for (const NormalizedMarketDataRecord& r : {trade, book}) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(r.input().encode_into(bytes));
        MarketDataWalRecord frame;
        frame.payload = bytes;
        frame.kind = static_cast<std::uint16_t>(r.kind);
        frame.source_sequence_1 = r.sequence;
        frame.ts_exchange_ns = r.ts_exchange_ns;
        frame.ts_recv_ns = r.ts_recv_ns;
        NormalizedDecodeResult back = decode_normalized_wal_record(frame);
        ASSERT_TRUE(back) << back.error().message();
        EXPECT_EQ(*back, r);
    }
    const BookUpdate u = book.to_book_update();
    EXPECT_EQ(u.symbol, (SymbolId{"NASDAQ", "AAPL"}));
    EXPECT_EQ(u.level, 3);
    EXPECT_EQ(u.action, BookAction::Delete);
    EXPECT_EQ(trade.to_trade_print().aggressor, Side::Bid);
}

TEST(NormalizedDecoder, RefusesEveryMalformedRecord) {
    std::vector<std::uint8_t> good;
    NormalizedMarketDataRecordInput in;
    in.kind = NormalizedMarketDataKind::BookUpdate;
    in.venue = "XN";
    in.symbol = "ABC";
    in.action = BookAction::Upsert;
    ASSERT_TRUE(in.encode_into(good));

    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&, std::uint16_t&)> mutate;
        K expected;
        std::string text;
    };
    const Case cases[] = {
        {"short", [](auto& b, auto&) { b.resize(35); }, K::TruncatedHeader,
         "normalized event header is truncated"},
        {"magic", [](auto& b, auto&) { b[3] = 'X'; }, K::BadMagic,
         "normalized event magic is invalid"},
        {"version", [](auto& b, auto&) { b[4] = 2; }, K::UnsupportedVersion,
         "normalized event version 2 is unsupported"},
        {"reserved", [](auto& b, auto&) { b[7] = 1; }, K::ReservedNonzero,
         "normalized event reserved byte is nonzero"},
        {"frame kind differs", [](auto&, auto& kind) { kind = 2; }, K::KindMismatch,
         "normalized event kind does not match WAL kind"},
        {"frame kind carries no record",
         [](auto& b, auto& kind) {
             b[6] = 5;
             kind = 5;
         },
         K::KindMismatch, "normalized event kind does not match WAL kind"},
        {"side", [](auto& b, auto&) { b[12] = 3; }, K::BadSide, "normalized side 3 is invalid"},
        {"side zero", [](auto& b, auto&) { b[12] = 0; }, K::BadSide,
         "normalized side 0 is invalid"},
        {"action", [](auto& b, auto&) { b[13] = 0; }, K::BadBookAction,
         "normalized book action 0 is invalid"},
        {"trade with action",
         [](auto& b, auto& kind) {
             b[6] = 2;
             kind = 2;
         },
         K::BadBookAction, "normalized book action 1 is invalid"},
        {"extra byte", [](auto& b, auto&) { b.push_back('x'); }, K::BadLength,
         "normalized event payload length is invalid"},
        {"venue length", [](auto& b, auto&) { b[8] = 3; }, K::BadLength,
         "normalized event payload length is invalid"},
        {"utf8", [](auto& b, auto&) { b[37] = 0xFF; }, K::NotUtf8,
         "normalized event identifier is not UTF-8"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        std::uint16_t kind = 1;
        c.mutate(bytes, kind);
        NormalizedDecodeResult r = decode_normalized_record(bytes, kind);
        ASSERT_FALSE(r) << c.name;
        EXPECT_EQ(r.error().kind, c.expected) << c.name;
        EXPECT_EQ(r.error().message(), c.text) << c.name;
    }
    EXPECT_TRUE(decode_normalized_record(good, 1));
}

}  // namespace
}  // namespace qx::persist
