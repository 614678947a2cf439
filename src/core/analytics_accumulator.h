// The running order-flow picture of one instrument's session: delta, volumes, last price,
// notional, the volume profile with its point of control and value area, the trade count, the
// session candle and the recent trades from which interval candles are cut on demand.
//
// The accumulator takes each trade's own aggressor (an Ask aggressor is a buy); it does not
// classify trades. Running sums wrap like plain 64-bit arithmetic; the trade count saturates.
#pragma once

#include <cstdint>

#include "core/analytics_snapshot.h"
#include "core/market_data.h"
#include "core/recent_trades.h"
#include "core/volume_profile.h"

namespace qx {

struct SessionCandle {
    std::int64_t open = 0;
    std::int64_t high = 0;
    std::int64_t low = 0;
    std::int64_t close = 0;
    std::uint64_t trade_count = 0;
    std::uint64_t first_ts_exchange_ns = 0;
    std::uint64_t last_ts_exchange_ns = 0;

    friend bool operator==(const SessionCandle&, const SessionCandle&) = default;
};

struct IntervalCandle {
    std::uint64_t window_ns = 0;
    std::int64_t open = 0;
    std::int64_t high = 0;
    std::int64_t low = 0;
    std::int64_t close = 0;
    std::uint64_t trade_count = 0;
    std::int64_t total_volume = 0;
    std::int64_t vwap = 0;
    std::uint64_t first_ts_exchange_ns = 0;
    std::uint64_t last_ts_exchange_ns = 0;

    friend bool operator==(const IntervalCandle&, const IntervalCandle&) = default;
};

struct DerivedAnalytics {
    std::int64_t total_volume = 0;
    std::uint64_t trade_count = 0;
    std::int64_t vwap = 0;
    std::int64_t average_trade_size = 0;
    std::int64_t imbalance_bps = 0;

    friend bool operator==(const DerivedAnalytics&, const DerivedAnalytics&) = default;
};

class AnalyticsAccumulator {
  public:
    AnalyticsAccumulator() = default;
    // Tests and benchmarks pick a smaller recent-trade bound or force one value-area method.
    AnalyticsAccumulator(std::size_t recent_trade_capacity, VolumeProfile::Tuning tuning)
        : recent_(recent_trade_capacity), profile_(tuning) {}

    // Uses the trade's price, size, aggressor and exchange timestamp.
    void on_trade(const TradePrint& trade) {
        on_trade(trade.price, trade.size, trade.aggressor, trade.ts_exchange_ns);
    }
    void on_trade(std::int64_t price, std::int64_t size, Side aggressor,
                  std::uint64_t ts_exchange_ns);

    // Back to the state of a new accumulator (storage is kept for reuse).
    void reset_session() noexcept;

    // The eight values every signal module consumes.
    AnalyticsSnapshot snapshot() const noexcept {
        return {delta_,      cumulative_delta_, buy_volume_,     sell_volume_,
                last_price_, point_of_control_, value_area_low_, value_area_high_};
    }
    const SessionCandle& session_candle() const noexcept { return candle_; }
    // The candle of the recent trades stamped within window_ns of the newest one.
    IntervalCandle interval_candle_snapshot(std::uint64_t window_ns) const noexcept;
    DerivedAnalytics derived_analytics() const noexcept;

    std::int64_t delta() const noexcept { return delta_; }
    std::int64_t cumulative_delta() const noexcept { return cumulative_delta_; }
    std::int64_t buy_volume() const noexcept { return buy_volume_; }
    std::int64_t sell_volume() const noexcept { return sell_volume_; }
    std::int64_t last_price() const noexcept { return last_price_; }
    std::int64_t point_of_control() const noexcept { return point_of_control_; }
    std::int64_t value_area_low() const noexcept { return value_area_low_; }
    std::int64_t value_area_high() const noexcept { return value_area_high_; }
    __int128 notional() const noexcept { return notional_; }
    std::uint64_t trade_count() const noexcept { return trade_count_; }
    const VolumeProfile& profile() const noexcept { return profile_; }
    const RecentTrades& recent_trades() const noexcept { return recent_; }

  private:
    std::int64_t delta_ = 0;
    std::int64_t cumulative_delta_ = 0;
    std::int64_t buy_volume_ = 0;
    std::int64_t sell_volume_ = 0;
    std::int64_t last_price_ = 0;
    std::int64_t point_of_control_ = 0;
    std::int64_t value_area_low_ = 0;
    std::int64_t value_area_high_ = 0;
    __int128 notional_ = 0;
    std::uint64_t trade_count_ = 0;
    SessionCandle candle_;
    RecentTrades recent_;
    VolumeProfile profile_;
};

}  // namespace qx
