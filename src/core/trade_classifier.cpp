#include "core/trade_classifier.h"

namespace qx {

TradeDirection TradeClassifier::tick_test(std::optional<std::int64_t> last_price,
                                          std::int64_t price, std::int64_t size) noexcept {
    if (!last_price) {
        return TradeDirection::Undetermined;
    }
    if (price > *last_price) {
        return TradeDirection::Buy;
    }
    if (price < *last_price) {
        return TradeDirection::Sell;
    }
    return size > 0 ? TradeDirection::Buy : TradeDirection::Sell;
}

TradeDirection TradeClassifier::quote_rule(std::int64_t price, std::int64_t best_bid,
                                           std::int64_t best_ask) noexcept {
    if (best_bid > 0 && price <= best_bid) {
        return TradeDirection::Sell;
    }
    if (best_ask > 0 && price >= best_ask) {
        return TradeDirection::Buy;
    }
    return TradeDirection::Undetermined;
}

TradeDirection TradeClassifier::lee_ready(TradeDirection quote, TradeDirection tick) noexcept {
    return quote != TradeDirection::Undetermined ? quote : tick;
}

TradeDirection TradeClassifier::classify(std::int64_t price, std::int64_t size,
                                         std::int64_t best_bid, std::int64_t best_ask) noexcept {
    tick_ = tick_test(last_price_, price, size);
    quote_ = quote_rule(price, best_bid, best_ask);
    lee_ready_ = lee_ready(quote_, tick_);
    last_price_ = price;

    double buy = 0;
    double sell = 0;
    const auto vote = [&](TradeDirection d, double weight) {
        if (d == TradeDirection::Buy) {
            buy += weight;
        } else if (d == TradeDirection::Sell) {
            sell += weight;
        }
    };
    vote(tick_, kTickTestWeight);
    vote(quote_, kQuoteRuleWeight);
    vote(lee_ready_, kLeeReadyWeight);
    if (buy > sell) {
        return TradeDirection::Buy;
    }
    if (sell > buy) {
        return TradeDirection::Sell;
    }
    return quote_;
}

}  // namespace qx
