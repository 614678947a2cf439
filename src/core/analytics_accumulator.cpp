#include "core/analytics_accumulator.h"

#include <algorithm>
#include <limits>

#include "support/saturating.h"
#include "support/wrapping.h"

namespace qx {
namespace {

// A 128-bit quotient brought back to 64 bits, clamped at the signed limits.
std::int64_t clamp_to_i64(__int128 v) noexcept {
    constexpr __int128 lo = std::numeric_limits<std::int64_t>::min();
    constexpr __int128 hi = std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(v < lo ? lo : (v > hi ? hi : v));
}

__int128 product(std::int64_t price, std::int64_t size) noexcept {
    return static_cast<__int128>(price) * static_cast<__int128>(size);
}

}  // namespace

void AnalyticsAccumulator::on_trade(std::int64_t price, std::int64_t size, Side aggressor,
                                    std::uint64_t ts_exchange_ns) {
    last_price_ = price;

    if (trade_count_ == 0) {
        candle_.open = candle_.high = candle_.low = price;
        candle_.first_ts_exchange_ns = ts_exchange_ns;
    } else {
        candle_.high = std::max(candle_.high, price);
        candle_.low = std::min(candle_.low, price);
    }
    candle_.close = price;
    trade_count_ = sat_add(trade_count_, std::uint64_t{1});
    candle_.trade_count = trade_count_;
    candle_.last_ts_exchange_ns = ts_exchange_ns;

    notional_ = wrapping_add(notional_, product(price, size));
    recent_.push({price, size, ts_exchange_ns});
    profile_.add(price, size);

    std::int64_t signed_size;
    if (aggressor == Side::Ask) {
        buy_volume_ = wrapping_add(buy_volume_, size);
        signed_size = size;
    } else {
        sell_volume_ = wrapping_add(sell_volume_, size);
        signed_size = wrapping_neg(size);
    }
    delta_ = wrapping_add(delta_, signed_size);
    cumulative_delta_ = wrapping_add(cumulative_delta_, signed_size);

    ValueArea area;
    if (profile_.value_area(area)) {
        point_of_control_ = area.point_of_control;
        value_area_low_ = area.low;
        value_area_high_ = area.high;
    }
}

void AnalyticsAccumulator::reset_session() noexcept {
    delta_ = cumulative_delta_ = 0;
    buy_volume_ = sell_volume_ = 0;
    last_price_ = 0;
    point_of_control_ = value_area_low_ = value_area_high_ = 0;
    notional_ = 0;
    trade_count_ = 0;
    candle_ = SessionCandle{};
    recent_.clear();
    profile_.clear();
}

IntervalCandle AnalyticsAccumulator::interval_candle_snapshot(
    std::uint64_t window_ns) const noexcept {
    IntervalCandle out;
    out.window_ns = window_ns;
    if (recent_.empty()) {
        return out;
    }
    const std::uint64_t end = recent_.newest().ts_exchange_ns;
    const std::uint64_t start = window_ns > end ? 0 : end - window_ns;
    __int128 notional = 0;
    recent_.for_each([&](const RecentTrade& t) {
        if (t.ts_exchange_ns < start) {
            return;
        }
        if (out.trade_count == 0) {
            out.open = out.high = out.low = t.price;
            out.trade_count = 1;
            out.total_volume = t.size;
            out.first_ts_exchange_ns = t.ts_exchange_ns;
        } else {
            out.high = std::max(out.high, t.price);
            out.low = std::min(out.low, t.price);
            out.trade_count = sat_add(out.trade_count, std::uint64_t{1});
            out.total_volume = wrapping_add(out.total_volume, t.size);
        }
        out.close = t.price;
        out.last_ts_exchange_ns = t.ts_exchange_ns;
        notional = wrapping_add(notional, product(t.price, t.size));
    });
    if (out.total_volume > 0) {
        out.vwap = clamp_to_i64(notional / out.total_volume);
    }
    return out;
}

DerivedAnalytics AnalyticsAccumulator::derived_analytics() const noexcept {
    DerivedAnalytics out;
    out.total_volume = wrapping_add(buy_volume_, sell_volume_);
    out.trade_count = trade_count_;
    if (out.total_volume > 0) {
        out.vwap = clamp_to_i64(notional_ / out.total_volume);
        out.imbalance_bps = clamp_to_i64(static_cast<__int128>(delta_) * 10000 / out.total_volume);
    }
    if (trade_count_ != 0) {
        out.average_trade_size = clamp_to_i64(static_cast<__int128>(out.total_volume) /
                                              static_cast<__int128>(trade_count_));
    }
    return out;
}

}  // namespace qx
