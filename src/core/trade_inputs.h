// The per-trade quantities the engine derives from one classified trade for the liquidity,
// toxicity and volatility trackers. Differences wrap like plain 64-bit arithmetic.
#pragma once

#include <cstdint>

#include "core/trade_classifier.h"

namespace qx {

class AnalyticsAccumulator;

// Buy gives (size, 0), Sell (0, size), Undetermined (size / 2, size / 2) truncating toward zero.
std::int64_t buy_qty(TradeDirection direction, std::int64_t size) noexcept;
std::int64_t sell_qty(TradeDirection direction, std::int64_t size) noexcept;
// size when buy_qty >= 1, otherwise -size.
std::int64_t signed_size(std::int64_t buy_qty, std::int64_t size) noexcept;
// buy_qty - sell_qty.
std::int64_t trade_delta(std::int64_t buy_qty, std::int64_t sell_qty) noexcept;
// The accumulator's last price before this trade, or the trade's own price when the instrument
// has no accumulator yet (nullptr). Call it before the accumulator takes the trade.
std::int64_t prev_price(const AnalyticsAccumulator* accumulator, std::int64_t price) noexcept;
// price - prev_price.
std::int64_t price_change(std::int64_t price, std::int64_t prev_price) noexcept;
// ln(price / max(prev_price, 1)) in doubles; a non-positive price gives a non-finite value.
double log_return(std::int64_t price, std::int64_t prev_price) noexcept;

// All of the above for one trade, computed together.
struct TradeInputs {
    std::int64_t buy_qty = 0;
    std::int64_t sell_qty = 0;
    std::int64_t signed_size = 0;
    std::int64_t trade_delta = 0;
    std::int64_t prev_price = 0;
    std::int64_t price_change = 0;
    double log_return = 0;
};

TradeInputs derive_trade_inputs(TradeDirection direction, std::int64_t price, std::int64_t size,
                                const AnalyticsAccumulator* accumulator) noexcept;

}  // namespace qx
