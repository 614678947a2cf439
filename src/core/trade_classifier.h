// Decides from prices and quotes whether a trade was buyer- or seller-initiated, by a weighted
// vote of three methods: the tick test, the quote rule and the Lee-Ready rule.
#pragma once

#include <cstdint>
#include <optional>

namespace qx {

enum class TradeDirection : std::uint8_t { Buy = 0, Sell = 1, Undetermined = 2 };

class TradeClassifier {
  public:
    static constexpr double kTickTestWeight = 0.3;
    static constexpr double kQuoteRuleWeight = 0.4;
    static constexpr double kLeeReadyWeight = 0.3;

    // Up from the last price is a buy, down a sell; an unchanged price is a buy for a positive
    // size and a sell otherwise; without a last price nothing can be said.
    static TradeDirection tick_test(std::optional<std::int64_t> last_price, std::int64_t price,
                                    std::int64_t size) noexcept;
    // At or through a present bid (best_bid > 0) is a sell, and wins when both hold; at or
    // through a present ask is a buy; strictly inside the spread nothing can be said.
    static TradeDirection quote_rule(std::int64_t price, std::int64_t best_bid,
                                     std::int64_t best_ask) noexcept;
    // The quote rule when it decides, the tick test otherwise.
    static TradeDirection lee_ready(TradeDirection quote, TradeDirection tick) noexcept;

    // Classifies one trade (best prices are 0 for an empty side), remembers the three methods'
    // results and the price, and returns the vote: the larger weighted score, or the quote
    // rule's result on equal scores.
    TradeDirection classify(std::int64_t price, std::int64_t size, std::int64_t best_bid,
                            std::int64_t best_ask) noexcept;

    std::optional<std::int64_t> last_price() const noexcept { return last_price_; }
    TradeDirection last_tick_test() const noexcept { return tick_; }
    TradeDirection last_quote_rule() const noexcept { return quote_; }
    TradeDirection last_lee_ready() const noexcept { return lee_ready_; }

  private:
    std::optional<std::int64_t> last_price_;
    TradeDirection tick_ = TradeDirection::Undetermined;
    TradeDirection quote_ = TradeDirection::Undetermined;
    TradeDirection lee_ready_ = TradeDirection::Undetermined;
};

}  // namespace qx
