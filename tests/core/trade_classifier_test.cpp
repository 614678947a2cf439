#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "core/analytics_accumulator.h"
#include "core/trade_classifier.h"
#include "core/trade_inputs.h"

namespace qx {
namespace {

constexpr auto Buy = TradeDirection::Buy;
constexpr auto Sell = TradeDirection::Sell;
constexpr auto Und = TradeDirection::Undetermined;

TEST(TradeClassifier, Outcomes) {
    struct Case {
        const char* name;
        std::optional<std::int64_t> last;  // a first trade at this price when present
        std::int64_t price, size, bid, ask;
        TradeDirection tick, quote, lee_ready, vote;
    };
    const Case cases[] = {
        {"first trade, empty book", std::nullopt, 100, 5, 0, 0, Und, Und, Und, Und},
        {"first trade at the ask", std::nullopt, 101, 5, 100, 101, Und, Buy, Buy, Buy},
        {"uptick inside the spread", 100, 101, 5, 99, 103, Buy, Und, Buy, Buy},
        {"uptick at the bid: the quote rule outweighs", 100, 101, 5, 101, 0, Buy, Sell, Sell, Sell},
        {"downtick at the ask", 100, 99, 5, 0, 99, Sell, Buy, Buy, Buy},
        {"unchanged price, positive size", 100, 100, 1, 0, 0, Buy, Und, Buy, Buy},
        {"unchanged price, zero size", 100, 100, 0, 0, 0, Sell, Und, Sell, Sell},
        {"both at bid and at ask: the bid wins", 100, 100, 1, 100, 100, Buy, Sell, Sell, Sell},
        {"an empty side does not count as a quote", 100, 90, 1, 0, 0, Sell, Und, Sell, Sell},
    };
    for (const Case& c : cases) {
        TradeClassifier classifier;
        if (c.last) {
            classifier.classify(*c.last, 1, 0, 0);
        }
        EXPECT_EQ(classifier.classify(c.price, c.size, c.bid, c.ask), c.vote) << c.name;
        EXPECT_EQ(classifier.last_tick_test(), c.tick) << c.name;
        EXPECT_EQ(classifier.last_quote_rule(), c.quote) << c.name;
        EXPECT_EQ(classifier.last_lee_ready(), c.lee_ready) << c.name;
        EXPECT_EQ(classifier.last_price(), c.price) << c.name;
    }
}

TEST(TradeInputs, SplitSignAndPriceMoves) {
    // Undetermined splits in halves, losing one lot of an odd size.
    TradeInputs in = derive_trade_inputs(Und, 100, 5, nullptr);
    EXPECT_EQ(in.buy_qty, 2);
    EXPECT_EQ(in.sell_qty, 2);
    EXPECT_EQ(in.signed_size, 5);
    EXPECT_EQ(in.trade_delta, 0);
    EXPECT_EQ(in.prev_price, 100) << "no accumulator yet: the trade's own price";
    EXPECT_EQ(in.price_change, 0);
    EXPECT_EQ(in.log_return, 0.0);

    // Size 1 undetermined: nothing on either side, so the signed size is negative.
    in = derive_trade_inputs(Und, 100, 1, nullptr);
    EXPECT_EQ(in.buy_qty, 0);
    EXPECT_EQ(in.signed_size, -1);

    AnalyticsAccumulator acc;
    acc.on_trade(80, 1, Side::Ask, 0);
    in = derive_trade_inputs(Sell, 100, 7, &acc);
    EXPECT_EQ(in.buy_qty, 0);
    EXPECT_EQ(in.sell_qty, 7);
    EXPECT_EQ(in.signed_size, -7);
    EXPECT_EQ(in.trade_delta, -7);
    EXPECT_EQ(in.prev_price, 80);
    EXPECT_EQ(in.price_change, 20);
    EXPECT_DOUBLE_EQ(in.log_return, std::log(100.0 / 80.0));

    in = derive_trade_inputs(Buy, 100, 7, &acc);
    EXPECT_EQ(in.buy_qty, 7);
    EXPECT_EQ(in.trade_delta, 7);
    EXPECT_EQ(in.signed_size, 7);

    // A previous price below 1 divides by 1; a non-positive price is not guarded.
    EXPECT_DOUBLE_EQ(log_return(50, 0), std::log(50.0));
    EXPECT_FALSE(std::isfinite(log_return(0, 10)));
    EXPECT_TRUE(std::isnan(log_return(-5, 10)));
}

}  // namespace
}  // namespace qx
