// A route with its pre-trade risk limits, and the key routes and open exposure are found by.
#pragma once

#include <cstddef>
#include <cstdint>

#include "execution_core/execution_symbol.h"
#include "execution_core/fixed_ascii.h"
#include "support/int128.h"

namespace qx::exec {

struct RouteConfig {
    RouteId route;
    AccountId account;
    ExecutionSymbol symbol;
    bool enabled = false;               // a disabled route is invisible to lookups
    bool kill_switch = false;           // every new order and amend on the route is refused
    std::int64_t max_order_qty = 0;     // <= 0: no limit
    Int128 max_order_notional = 0;      // <= 0: no limit
    std::uint32_t max_open_orders = 0;  // 0: no limit
    Int128 max_open_notional = 0;       // <= 0: no limit
    std::int64_t price_band = 0;        // <= 0: no check
};

// Route, account and symbol, compared field by field.
struct RouteKey {
    RouteId route;
    AccountId account;
    ExecutionSymbol symbol;

    friend bool operator==(const RouteKey&, const RouteKey&) = default;
};

inline RouteKey route_key(const RouteConfig& route) noexcept {
    return {route.route, route.account, route.symbol};
}

struct RouteKeyHash {
    std::size_t operator()(const RouteKey& key) const noexcept {
        std::size_t h = FixedAsciiHash{}(key.route);
        const auto mix = [&h](std::size_t v) {
            h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        };
        mix(FixedAsciiHash{}(key.account));
        mix(ExecutionSymbolHash{}(key.symbol));
        return h;
    }
};

}  // namespace qx::exec
