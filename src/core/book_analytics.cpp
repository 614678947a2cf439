#include "core/book_analytics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/saturating.h"

namespace qx {
namespace {

// Level sizes are summed with plain 64-bit arithmetic; wrapping is made explicit so that an
// absurd book cannot trigger undefined behaviour.
std::int64_t wrapping_add(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

std::int64_t sum_sizes(const std::vector<BookLevel>& side, std::size_t max_levels) noexcept {
    std::int64_t total = 0;
    const std::size_t n = std::min(side.size(), max_levels);
    for (std::size_t i = 0; i < n; ++i) {
        total = wrapping_add(total, side[i].size);
    }
    return total;
}

constexpr std::size_t kAllLevels = std::numeric_limits<std::size_t>::max();

double d(std::int64_t v) noexcept {
    return static_cast<double>(v);
}

}  // namespace

BookAnalytics compute_book_analytics(const BookSides& book) noexcept {
    BookAnalytics out;
    out.best_bid = book.bids.empty() ? 0 : book.bids.front().price;
    out.best_ask = book.asks.empty() ? 0 : book.asks.front().price;

    const bool priced = !book.asks.empty() && out.best_bid >= 1 && out.best_ask >= 1;
    std::int64_t mid = 0;
    if (priced) {
        out.quoted_spread = out.best_ask - out.best_bid;
        mid = sat_add(out.best_bid, out.best_ask) / 2;
        out.relative_spread_bps = sat_mul(out.quoted_spread, 10000) / mid;
    }

    const std::int64_t bid_size0 = book.bids.empty() ? 0 : book.bids.front().size;
    const std::int64_t ask_size0 = book.asks.empty() ? 0 : book.asks.front().size;
    if (!book.asks.empty() && out.best_bid > 0 && out.best_ask > 0 && bid_size0 > 0 &&
        ask_size0 > 0) {
        // Both products and both sums are of positive values; each saturates at the maximum
        // rather than wrapping into a negative price.
        const std::int64_t numerator =
            sat_add(sat_mul(out.best_bid, ask_size0), sat_mul(out.best_ask, bid_size0));
        out.microprice = numerator / sat_add(bid_size0, ask_size0);
    } else if (priced) {
        out.microprice = mid;
    }

    out.bid_depth = sum_sizes(book.bids, kAllLevels);
    out.ask_depth = sum_sizes(book.asks, kAllLevels);
    const std::int64_t total = sat_add(out.bid_depth, out.ask_depth);
    if (total >= 1) {
        out.depth_imbalance_bps = sat_mul(sat_sub(out.bid_depth, out.ask_depth), 10000) / total;
    }
    return out;
}

LobFeatures compute_lob_features(const BookSides& book, double trade_flow_imbalance,
                                 double cancel_intensity, double arrival_intensity) noexcept {
    LobFeatures f;
    f.cancel_intensity = cancel_intensity;
    f.arrival_intensity = arrival_intensity;
    f.trade_flow_imbalance = trade_flow_imbalance;
    if (book.bids.empty() || book.asks.empty()) {
        return f;
    }
    const std::int64_t best_bid = book.bids.front().price;
    const std::int64_t best_ask = book.asks.front().price;
    if (best_bid <= 0 || best_ask <= 0) {
        return f;
    }

    const double mid = d(sat_add(best_bid, best_ask)) * 0.5;
    f.spread_bps = d(best_ask - best_bid) / mid * 10000.0;

    const std::int64_t bid_total = sum_sizes(book.bids, kAllLevels);
    const std::int64_t ask_total = sum_sizes(book.asks, kAllLevels);
    if (wrapping_add(bid_total, ask_total) > 0) {
        f.depth_imbalance = (d(bid_total) - d(ask_total)) / (d(bid_total) + d(ask_total));
    }
    if (bid_total > 0 && ask_total > 0) {
        f.microprice = (d(bid_total) * d(best_ask) + d(ask_total) * d(best_bid)) /
                       (d(bid_total) + d(ask_total));
    } else {
        f.microprice = mid;
    }

    const std::int64_t bid0 = book.bids[0].size;
    const std::int64_t ask0 = book.asks[0].size;
    if (book.bids.size() >= 2 && book.asks.size() >= 2) {
        const std::int64_t bid1 = std::max<std::int64_t>(book.bids[1].size, 1);
        const std::int64_t ask1 = std::max<std::int64_t>(book.asks[1].size, 1);
        f.depth_slope = (d(bid0) / d(bid1) + d(ask0) / d(ask1)) * 0.5;
    }
    f.order_intensity = 0.0;

    const std::int64_t bid5 = sum_sizes(book.bids, 5);
    const std::int64_t ask5 = sum_sizes(book.asks, 5);
    const std::int64_t bid10 = sum_sizes(book.bids, 10);
    const std::int64_t ask10 = sum_sizes(book.asks, 10);
    f.price_pressure_1 = d(ask0) - d(bid0);
    f.price_pressure_5 = d(ask5) - d(bid5);
    f.price_pressure_10 = d(ask10) - d(bid10);

    const auto at_least_one = [](std::int64_t v) { return d(std::max<std::int64_t>(v, 1)); };
    f.bid_ask_ratio_1 = at_least_one(bid0) / at_least_one(ask0);
    f.bid_ask_ratio_5 = at_least_one(bid5) / at_least_one(ask5);
    f.bid_ask_ratio_10 = at_least_one(bid10) / at_least_one(ask10);

    f.weighted_spread = f.spread_bps * (1.0 - std::fabs(f.depth_imbalance));
    f.volume_concentration =
        (at_least_one(bid0) + at_least_one(ask0)) / at_least_one(wrapping_add(bid10, ask10));
    return f;
}

double compute_depth_slope(const BookSides& book, std::uint64_t levels) noexcept {
    if (book.bids.empty()) {
        return 0.0;
    }
    const std::uint64_t n = std::min<std::uint64_t>(
        levels, std::min<std::uint64_t>(book.bids.size(), book.asks.size()));
    if (n < 2) {
        return 0.0;
    }
    const double count = static_cast<double>(n);
    const double bid_drop = d(book.bids[0].size) - d(book.bids[n - 1].size);
    const double ask_drop = d(book.asks[0].size) - d(book.asks[n - 1].size);
    return (bid_drop / count + ask_drop / count) * 0.5;
}

std::optional<std::int64_t> compute_weighted_average_price(const BookSides& book,
                                                           std::int64_t quantity) noexcept {
    if (quantity == 0 || quantity == std::numeric_limits<std::int64_t>::min()) {
        return std::nullopt;
    }
    const std::vector<BookLevel>& side = quantity > 0 ? book.asks : book.bids;
    const std::int64_t target = quantity > 0 ? quantity : -quantity;
    std::int64_t filled = 0;
    std::int64_t notional = 0;
    for (const BookLevel& level : side) {
        const std::int64_t remaining = sat_sub(target, filled);
        const std::int64_t take = std::min(level.size, remaining);
        if (take <= 0) {
            break;
        }
        notional = sat_add(notional, sat_mul(level.price, take));
        filled = sat_add(filled, take);
    }
    if (filled < target) {
        return std::nullopt;
    }
    return notional / filled;
}

}  // namespace qx
