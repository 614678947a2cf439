// One market event as an adapter delivers it and the event pipeline takes it.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

#include "core/market_data.h"

namespace qx {

struct RawEvent {
    // Index 0: a book update (kind 0); index 1: a trade (kind 1).
    std::variant<BookUpdate, TradePrint> event;

    static RawEvent book(BookUpdate u) {
        return {std::variant<BookUpdate, TradePrint>(std::in_place_index<0>, std::move(u))};
    }
    static RawEvent trade(TradePrint t) {
        return {std::variant<BookUpdate, TradePrint>(std::in_place_index<1>, std::move(t))};
    }

    std::uint8_t kind() const noexcept { return static_cast<std::uint8_t>(event.index()); }
    bool is_trade() const noexcept { return event.index() == 1; }
    const BookUpdate* as_book() const noexcept { return std::get_if<0>(&event); }
    const TradePrint* as_trade() const noexcept { return std::get_if<1>(&event); }
    const SymbolId& symbol() const noexcept {
        return is_trade() ? std::get<1>(event).symbol : std::get<0>(event).symbol;
    }
};

}  // namespace qx
