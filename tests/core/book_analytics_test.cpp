#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "core/book_analytics.h"

namespace qx {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Builds a side from (price, size) pairs, numbering the levels from 0.
std::vector<BookLevel> side(std::initializer_list<std::pair<std::int64_t, std::int64_t>> levels) {
    std::vector<BookLevel> out;
    std::uint16_t i = 0;
    for (const auto& [price, size] : levels) {
        out.push_back({i++, price, size});
    }
    return out;
}

struct Book {
    std::vector<BookLevel> bids;
    std::vector<BookLevel> asks;
    BookSides sides() const { return {bids, asks}; }
};

TEST(BookAnalytics, EmptyBookIsAllZerosAndGivesNoPrice) {
    const Book book;
    EXPECT_EQ(compute_book_analytics(book.sides()), BookAnalytics{});
    LobFeatures expected;
    expected.trade_flow_imbalance = 0.25;
    expected.cancel_intensity = 1.5;
    expected.arrival_intensity = 2.5;
    EXPECT_EQ(compute_lob_features(book.sides(), 0.25, 1.5, 2.5), expected);
    EXPECT_EQ(compute_depth_slope(book.sides(), 10), 0.0);
    EXPECT_FALSE(compute_weighted_average_price(book.sides(), 1));
    EXPECT_FALSE(compute_weighted_average_price(book.sides(), -1));
}

TEST(BookAnalytics, BidsWithoutAsks) {
    const Book book{side({{100, 5}, {99, 7}}), {}};
    const BookAnalytics a = compute_book_analytics(book.sides());
    EXPECT_EQ(a.best_bid, 100);
    EXPECT_EQ(a.bid_depth, 12);
    EXPECT_EQ(a.best_ask, 0);
    EXPECT_EQ(a.quoted_spread, 0);
    EXPECT_EQ(a.relative_spread_bps, 0);
    EXPECT_EQ(a.microprice, 0);
    EXPECT_EQ(a.ask_depth, 0);
    EXPECT_EQ(a.depth_imbalance_bps, 10000);
    LobFeatures zero;
    zero.trade_flow_imbalance = 0.5;
    EXPECT_EQ(compute_lob_features(book.sides(), 0.5, 0, 0), zero);
}

TEST(BookAnalytics, TwoSidedBook) {
    const Book book{side({{100, 10}, {99, 20}}), side({{102, 30}, {103, 40}})};
    const BookAnalytics a = compute_book_analytics(book.sides());
    EXPECT_EQ(a.best_bid, 100);
    EXPECT_EQ(a.best_ask, 102);
    EXPECT_EQ(a.quoted_spread, 2);
    EXPECT_EQ(a.relative_spread_bps, 2 * 10000 / 101);
    EXPECT_EQ(a.microprice, (100 * 30 + 102 * 10) / 40);
    EXPECT_EQ(a.bid_depth, 30);
    EXPECT_EQ(a.ask_depth, 70);
    EXPECT_EQ(a.depth_imbalance_bps, (30 - 70) * 10000 / 100);
}

TEST(BookAnalytics, CrossedBookHasNegativeSpread) {
    const Book book{side({{105, 1}}), side({{100, 1}})};
    const BookAnalytics a = compute_book_analytics(book.sides());
    EXPECT_EQ(a.quoted_spread, -5);
    EXPECT_EQ(a.relative_spread_bps, -5 * 10000 / 102);
}

TEST(BookAnalytics, ZeroTopSizesFallBackToIntegerMid) {
    const Book book{side({{100, 0}}), side({{103, 0}})};
    EXPECT_EQ(compute_book_analytics(book.sides()).microprice, 101);
}

TEST(BookAnalytics, NonPositivePricesLeaveSpreadAndMicropriceZero) {
    const Book book{side({{0, 5}}), side({{3, 5}})};
    const BookAnalytics a = compute_book_analytics(book.sides());
    EXPECT_EQ(a.quoted_spread, 0);
    EXPECT_EQ(a.microprice, 0);
    EXPECT_EQ(a.depth_imbalance_bps, 0);
}

TEST(BookAnalytics, SaturatesInsteadOfOverflowing) {
    const Book book{side({{kMax - 1, kMax}}), side({{kMax, kMax}})};
    const BookAnalytics a = compute_book_analytics(book.sides());
    EXPECT_EQ(a.quoted_spread, 1);
    EXPECT_EQ(a.relative_spread_bps, 10000 / (kMax / 2));
    // Both products saturate and so does their sum: the microprice stays a positive price.
    EXPECT_GT(a.microprice, 0);
    EXPECT_EQ(a.microprice, kMax / kMax);  // MAX / saturated(MAX + MAX) = 1
    // Depth sums wrap (no guard), the imbalance is computed from the wrapped values.
    const Book deep{side({{10, kMax}, {9, 2}}), side({{11, 1}})};
    const BookAnalytics b = compute_book_analytics(deep.sides());
    EXPECT_EQ(b.bid_depth, kMin + 1);
}

TEST(LobFeatures, FullVector) {
    // Six bid and eleven ask levels exercise the 1, 5 and 10 level windows.
    const Book book{side({{100, 10}, {99, 20}, {98, 30}, {97, 40}, {96, 50}, {95, 60}}),
                    side({{102, 5},
                          {103, 0},
                          {104, 15},
                          {105, 20},
                          {106, 25},
                          {107, 30},
                          {108, 1},
                          {109, 1},
                          {110, 1},
                          {111, 1},
                          {112, 100}})};
    const LobFeatures f = compute_lob_features(book.sides(), 0.1, 0.2, 0.3);
    const double mid = 101.0;
    const double B = 210, A = 199;
    EXPECT_DOUBLE_EQ(f.spread_bps, 2.0 / mid * 10000.0);
    EXPECT_DOUBLE_EQ(f.depth_imbalance, (B - A) / (B + A));
    EXPECT_DOUBLE_EQ(f.microprice, (B * 102 + A * 100) / (B + A));
    EXPECT_DOUBLE_EQ(f.depth_slope, (10.0 / 20.0 + 5.0 / 1.0) * 0.5);  // ask level 1 size 0 -> 1
    EXPECT_EQ(f.order_intensity, 0.0);
    EXPECT_DOUBLE_EQ(f.price_pressure_1, 5.0 - 10.0);
    EXPECT_DOUBLE_EQ(f.price_pressure_5, 65.0 - 150.0);
    EXPECT_DOUBLE_EQ(f.price_pressure_10, 99.0 - 210.0);
    EXPECT_DOUBLE_EQ(f.bid_ask_ratio_1, 10.0 / 5.0);
    EXPECT_DOUBLE_EQ(f.bid_ask_ratio_5, 150.0 / 65.0);
    EXPECT_DOUBLE_EQ(f.bid_ask_ratio_10, 210.0 / 99.0);
    EXPECT_DOUBLE_EQ(f.weighted_spread, f.spread_bps * (1.0 - (B - A) / (B + A)));
    EXPECT_DOUBLE_EQ(f.volume_concentration, (10.0 + 5.0) / (210.0 + 99.0));
    EXPECT_EQ(f.trade_flow_imbalance, 0.1);
    EXPECT_EQ(f.cancel_intensity, 0.2);
    EXPECT_EQ(f.arrival_intensity, 0.3);
}

TEST(LobFeatures, OneLevelSidesKeepSlopeZeroAndEmptyDepthUsesMid) {
    const Book book{side({{100, 0}}), side({{104, 0}})};
    const LobFeatures f = compute_lob_features(book.sides(), 0, 0, 0);
    EXPECT_EQ(f.depth_slope, 0.0);
    EXPECT_EQ(f.depth_imbalance, 0.0);
    EXPECT_DOUBLE_EQ(f.microprice, 102.0);
    EXPECT_DOUBLE_EQ(f.bid_ask_ratio_1, 1.0);
    EXPECT_DOUBLE_EQ(f.volume_concentration, 2.0);
}

TEST(DepthSlope, SpansTheShorterSide) {
    const Book book{side({{100, 50}, {99, 30}, {98, 10}}), side({{101, 40}, {102, 20}})};
    EXPECT_EQ(compute_depth_slope(book.sides(), 0), 0.0);
    EXPECT_EQ(compute_depth_slope(book.sides(), 1), 0.0);
    EXPECT_DOUBLE_EQ(compute_depth_slope(book.sides(), 2),
                     ((50.0 - 30.0) / 2 + (40.0 - 20.0) / 2) * 0.5);
    EXPECT_DOUBLE_EQ(compute_depth_slope(book.sides(), 10), compute_depth_slope(book.sides(), 2));
    const Book no_bids{{}, side({{101, 40}, {102, 20}})};
    EXPECT_EQ(compute_depth_slope(no_bids.sides(), 5), 0.0);
}

TEST(WeightedAveragePrice, WalksTheSide) {
    const Book book{side({{99, 5}, {98, 5}}), side({{100, 4}, {101, 10}})};
    struct Case {
        std::int64_t quantity;
        std::optional<std::int64_t> price;
    };
    const Case cases[] = {
        {10, 100},  // 4 at 100 and 6 at 101: (400 + 606) / 10
        {4, 100},          {14, (400 + 1010) / 14},     {20, std::nullopt},  // only 14 available
        {0, std::nullopt}, {-7, (5 * 99 + 2 * 98) / 7}, {-11, std::nullopt}, {kMin, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compute_weighted_average_price(book.sides(), c.quantity), c.price)
            << "quantity " << c.quantity;
    }
}

TEST(WeightedAveragePrice, ANonPositiveLevelEndsTheWalk) {
    const Book book{{}, side({{100, 3}, {101, 0}, {102, 100}})};
    EXPECT_EQ(compute_weighted_average_price(book.sides(), 3), 100);
    EXPECT_FALSE(compute_weighted_average_price(book.sides(), 4));
}

TEST(WeightedAveragePrice, NotionalSaturates) {
    const Book book{{}, side({{kMax, 2}})};
    EXPECT_EQ(compute_weighted_average_price(book.sides(), 2), kMax / 2);
}

}  // namespace
}  // namespace qx
