// Reading a whole root back into normalized records, across segments.
#include <gtest/gtest.h>

#include <vector>

#include "persist/market_data_segmented/segmented_wal.h"
#include "persist/market_data_wal_reader.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

TEST(MarketDataWalReader, DecodesDataFramesAcrossSegmentsAndCountsTheRest) {
    testing::ScratchDir dir;
    const NormalizedMarketDataRecord trade = testing::sample_trade(10);
    const NormalizedMarketDataRecord book = NormalizedMarketDataRecord::from_book_update(
        BookUpdate{SymbolId{"CME", "NQZ5"}, Side::Ask, 2, 2100000, 5, BookAction::Upsert, 11, 3000,
                   4000},
        0x10);
    const auto put = [](SegmentedMarketDataWal& wal, const NormalizedMarketDataRecord& r) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(r.input().encode_into(bytes));
        ASSERT_TRUE(wal.append_record(static_cast<std::uint16_t>(r.kind), r.sequence, r.sequence,
                                      r.ts_exchange_ns, r.ts_recv_ns, bytes));
    };
    {
        SegmentedMarketDataWalConfig c;
        c.segment_root = dir.path();
        auto wal = SegmentedMarketDataWal::open(c);
        ASSERT_TRUE(wal);
        put(**wal, trade);
        put(**wal, book);
        const std::vector<std::uint8_t> garbage = testing::bytes_of("not a record");
        ASSERT_TRUE((*wal)->append_record(kMarketDataWalKindTrade, 0, 0, 0, 0, garbage));
        ASSERT_TRUE((*wal)->seal_active_segment());
        put(**wal, testing::sample_trade(12));
    }
    std::vector<std::uint64_t> sequences;
    std::vector<NormalizedMarketDataRecord> records;
    WalResult<MarketDataWalReadSummary> s = read_normalized_market_data_wal(
        dir.path(), [&](std::uint64_t seq, NormalizedMarketDataRecord&& r) {
            sequences.push_back(seq);
            records.push_back(std::move(r));
        });
    ASSERT_TRUE(s) << s.error().message;
    EXPECT_TRUE(s->report.clean);
    EXPECT_EQ(s->report.segments.size(), 2u);
    EXPECT_EQ(s->records, 3u);
    EXPECT_EQ(s->undecodable, 1u);
    EXPECT_EQ(sequences, (std::vector<std::uint64_t>{1, 2, 5}));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], trade);
    EXPECT_EQ(records[1], book);
    EXPECT_EQ(records[2], testing::sample_trade(12));

    WalResult<MarketDataWalReadSummary> none =
        read_normalized_market_data_wal(dir / "missing", [](auto, auto&&) { FAIL(); });
    ASSERT_TRUE(none);
    EXPECT_EQ(none->records, 0u);
}

}  // namespace
}  // namespace qx::persist
