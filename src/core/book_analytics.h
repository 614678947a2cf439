// Stateless computations over one book snapshot: top-of-book analytics, the limit-order-book
// feature vector, the depth slope and the average price of a quantity walked through the book.
#pragma once

#include <cstdint>
#include <optional>

#include "core/market_data.h"

namespace qx {

struct BookAnalytics {
    std::int64_t best_bid = 0;
    std::int64_t best_ask = 0;
    std::int64_t quoted_spread = 0;
    std::int64_t relative_spread_bps = 0;
    std::int64_t microprice = 0;
    std::int64_t bid_depth = 0;
    std::int64_t ask_depth = 0;
    std::int64_t depth_imbalance_bps = 0;

    friend bool operator==(const BookAnalytics&, const BookAnalytics&) = default;
};

struct LobFeatures {
    double spread_bps = 0;
    double depth_imbalance = 0;
    double microprice = 0;
    double depth_slope = 0;
    double order_intensity = 0;
    double price_pressure_1 = 0;
    double price_pressure_5 = 0;
    double price_pressure_10 = 0;
    double bid_ask_ratio_1 = 0;
    double bid_ask_ratio_5 = 0;
    double bid_ask_ratio_10 = 0;
    double weighted_spread = 0;
    double volume_concentration = 0;
    double cancel_intensity = 0;
    double arrival_intensity = 0;
    double trade_flow_imbalance = 0;

    friend bool operator==(const LobFeatures&, const LobFeatures&) = default;
};

BookAnalytics compute_book_analytics(const BookSides& book) noexcept;

LobFeatures compute_lob_features(const BookSides& book, double trade_flow_imbalance,
                                 double cancel_intensity, double arrival_intensity) noexcept;

double compute_depth_slope(const BookSides& book, std::uint64_t levels) noexcept;

// Positive quantities buy against the asks, negative ones sell against the bids. No price for
// 0, for a side too thin to fill the quantity, and for the most negative quantity (whose
// magnitude has no signed 64-bit value).
std::optional<std::int64_t> compute_weighted_average_price(const BookSides& book,
                                                           std::int64_t quantity) noexcept;

}  // namespace qx
