#include "core/trade_inputs.h"

#include <algorithm>
#include <cmath>

#include "core/analytics_accumulator.h"
#include "support/wrapping.h"

namespace qx {

std::int64_t buy_qty(TradeDirection direction, std::int64_t size) noexcept {
    switch (direction) {
        case TradeDirection::Buy:
            return size;
        case TradeDirection::Sell:
            return 0;
        case TradeDirection::Undetermined:
            break;
    }
    return size / 2;
}

std::int64_t sell_qty(TradeDirection direction, std::int64_t size) noexcept {
    switch (direction) {
        case TradeDirection::Buy:
            return 0;
        case TradeDirection::Sell:
            return size;
        case TradeDirection::Undetermined:
            break;
    }
    return size / 2;
}

std::int64_t signed_size(std::int64_t buy_qty, std::int64_t size) noexcept {
    return buy_qty >= 1 ? size : wrapping_neg(size);
}

std::int64_t trade_delta(std::int64_t buy_qty, std::int64_t sell_qty) noexcept {
    return wrapping_sub(buy_qty, sell_qty);
}

std::int64_t prev_price(const AnalyticsAccumulator* accumulator, std::int64_t price) noexcept {
    return accumulator != nullptr ? accumulator->last_price() : price;
}

std::int64_t price_change(std::int64_t price, std::int64_t prev_price) noexcept {
    return wrapping_sub(price, prev_price);
}

double log_return(std::int64_t price, std::int64_t prev_price) noexcept {
    const std::int64_t base = std::max<std::int64_t>(prev_price, 1);
    return std::log(static_cast<double>(price) / static_cast<double>(base));
}

TradeInputs derive_trade_inputs(TradeDirection direction, std::int64_t price, std::int64_t size,
                                const AnalyticsAccumulator* accumulator) noexcept {
    TradeInputs in;
    in.buy_qty = buy_qty(direction, size);
    in.sell_qty = sell_qty(direction, size);
    in.signed_size = signed_size(in.buy_qty, size);
    in.trade_delta = trade_delta(in.buy_qty, in.sell_qty);
    in.prev_price = prev_price(accumulator, price);
    in.price_change = price_change(price, in.prev_price);
    in.log_return = log_return(price, in.prev_price);
    return in;
}

}  // namespace qx
