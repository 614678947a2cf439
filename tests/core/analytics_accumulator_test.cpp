#include <gtest/gtest.h>

#include <cstdint>

#include "core/analytics_accumulator.h"

namespace qx {
namespace {

TradePrint trade(std::int64_t price, std::int64_t size, Side aggressor, std::uint64_t ts = 0) {
    TradePrint t;
    t.symbol = {"X", "Y"};
    t.price = price;
    t.size = size;
    t.aggressor = aggressor;
    t.ts_exchange_ns = ts;
    return t;
}

TEST(AnalyticsAccumulator, FirstTradesSetFlowProfileAndCandle) {
    AnalyticsAccumulator acc;
    EXPECT_EQ(acc.snapshot(), AnalyticsSnapshot{});

    acc.on_trade(trade(100, 5, Side::Ask, 7));
    EXPECT_EQ(acc.snapshot(), (AnalyticsSnapshot{5, 5, 5, 0, 100, 100, 100, 100}));
    EXPECT_EQ(acc.session_candle(), (SessionCandle{100, 100, 100, 100, 1, 7, 7}));
    EXPECT_EQ(acc.trade_count(), 1u);

    acc.on_trade(trade(98, 30, Side::Bid, 9));
    EXPECT_EQ(acc.delta(), -25);
    EXPECT_EQ(acc.cumulative_delta(), -25);
    EXPECT_EQ(acc.sell_volume(), 30);
    EXPECT_EQ(acc.buy_volume(), 5);
    EXPECT_EQ(acc.last_price(), 98);
    EXPECT_EQ(acc.point_of_control(), 98);
    EXPECT_EQ(acc.session_candle(), (SessionCandle{100, 100, 98, 98, 2, 7, 9}));

    acc.on_trade(trade(103, 1, Side::Ask, 8));
    EXPECT_EQ(acc.session_candle(), (SessionCandle{100, 103, 98, 103, 3, 7, 8}));
}

TEST(AnalyticsAccumulator, NonPositiveTotalKeepsPreviousProfilePrices) {
    AnalyticsAccumulator acc;
    acc.on_trade(trade(100, 5, Side::Ask));
    acc.on_trade(trade(101, -5, Side::Ask));
    EXPECT_EQ(acc.profile().total(), 0);
    EXPECT_EQ(acc.point_of_control(), 100);
    EXPECT_EQ(acc.value_area_low(), 100);
    EXPECT_EQ(acc.value_area_high(), 100);
    EXPECT_EQ(acc.last_price(), 101);
    EXPECT_EQ(acc.buy_volume(), 0);
}

TEST(AnalyticsAccumulator, DerivedAnalytics) {
    AnalyticsAccumulator acc;
    EXPECT_EQ(acc.derived_analytics(), DerivedAnalytics{});
    acc.on_trade(trade(100, 10, Side::Ask));
    acc.on_trade(trade(101, 30, Side::Bid));
    EXPECT_EQ(acc.derived_analytics(), (DerivedAnalytics{40, 2, 100, 20, -5000}));
}

TEST(AnalyticsAccumulator, NotionalUsesTheFull128BitProduct) {
    // 2^40 * 2^40 overflows 64 bits; the average price must still come out exact.
    constexpr std::int64_t big = std::int64_t{1} << 40;
    AnalyticsAccumulator acc;
    acc.on_trade(trade(big, big, Side::Ask, 1));
    acc.on_trade(trade(big + 2, big, Side::Bid, 2));
    EXPECT_EQ(acc.notional(),
              static_cast<__int128>(big) * big * 2 + 2 * static_cast<__int128>(big));
    EXPECT_EQ(acc.derived_analytics().vwap, big + 1);
    EXPECT_EQ(acc.interval_candle_snapshot(0).vwap, big + 2);
}

TEST(AnalyticsAccumulator, IntervalCandles) {
    AnalyticsAccumulator acc;
    EXPECT_EQ(acc.interval_candle_snapshot(50), (IntervalCandle{50, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // Timestamps out of order: entries below the window start are skipped wherever they stand.
    acc.on_trade(trade(100, 10, Side::Ask, 1000));
    acc.on_trade(trade(104, 20, Side::Bid, 900));
    acc.on_trade(trade(99, 10, Side::Ask, 1500));
    acc.on_trade(trade(102, 40, Side::Ask, 2000));
    acc.on_trade(trade(101, 20, Side::Bid, 2000));

    // Window 0: only the trades stamped like the newest one.
    EXPECT_EQ(acc.interval_candle_snapshot(0),
              (IntervalCandle{0, 102, 102, 101, 101, 2, 60, (4080 + 2020) / 60, 2000, 2000}));
    // From 950 on: the second trade (900) is skipped although later ones are included.
    EXPECT_EQ(acc.interval_candle_snapshot(1050),
              (IntervalCandle{1050, 100, 102, 99, 101, 4, 80, (1000 + 990 + 4080 + 2020) / 80, 1000,
                              2000}));
    // A window longer than the newest timestamp starts at 0 and takes everything.
    EXPECT_EQ(acc.interval_candle_snapshot(5000).trade_count, 5u);
    EXPECT_EQ(acc.interval_candle_snapshot(5000).high, 104);
    EXPECT_EQ(acc.interval_candle_snapshot(5000).first_ts_exchange_ns, 1000u);
}

TEST(AnalyticsAccumulator, RecentTradesDropTheOldest) {
    AnalyticsAccumulator small(3, {});
    for (std::int64_t i = 1; i <= 5; ++i) {
        small.on_trade(trade(100 + i, i, Side::Ask, static_cast<std::uint64_t>(i)));
    }
    ASSERT_EQ(small.recent_trades().size(), 3u);
    EXPECT_EQ(small.recent_trades()[0].price, 103);
    EXPECT_EQ(small.recent_trades().newest().price, 105);
    const IntervalCandle all = small.interval_candle_snapshot(100);
    EXPECT_EQ(all.open, 103);
    EXPECT_EQ(all.trade_count, 3u);
    EXPECT_EQ(all.total_volume, 12);
    EXPECT_EQ(small.trade_count(), 5u) << "the session count is not bounded";

    AnalyticsAccumulator acc;
    for (std::uint64_t i = 0; i <= RecentTrades::kDefaultCapacity; ++i) {
        acc.on_trade(trade(static_cast<std::int64_t>(i % 7), 1, Side::Ask, i));
    }
    EXPECT_EQ(acc.recent_trades().size(), RecentTrades::kDefaultCapacity);
    EXPECT_EQ(acc.recent_trades()[0].ts_exchange_ns, 1u);
    EXPECT_EQ(acc.recent_trades().newest().ts_exchange_ns, RecentTrades::kDefaultCapacity);
}

TEST(AnalyticsAccumulator, ResetSessionStartsOver) {
    AnalyticsAccumulator acc;
    acc.on_trade(trade(100, 5, Side::Ask, 10));
    acc.on_trade(trade(90, 8, Side::Bid, 20));
    acc.reset_session();
    EXPECT_EQ(acc.snapshot(), AnalyticsSnapshot{});
    EXPECT_EQ(acc.session_candle(), SessionCandle{});
    EXPECT_EQ(acc.derived_analytics(), DerivedAnalytics{});
    EXPECT_EQ(acc.notional(), 0);
    EXPECT_TRUE(acc.recent_trades().empty());
    EXPECT_EQ(acc.profile().distinct_prices(), 0u);

    acc.on_trade(trade(95, 2, Side::Bid, 30));
    EXPECT_EQ(acc.session_candle(), (SessionCandle{95, 95, 95, 95, 1, 30, 30}));
    EXPECT_EQ(acc.snapshot(), (AnalyticsSnapshot{-2, -2, 0, 2, 95, 95, 95, 95}));
}

}  // namespace
}  // namespace qx
