// The pre-trade route checks: what they read (RiskContext), what they decide (RiskDecision)
// and the checks themselves, in their fixed order.
#pragma once

#include <cstdint>

#include "execution/route_config.h"
#include "execution_core/fixed_ascii.h"
#include "execution_core/order_enums.h"
#include "execution_core/order_records.h"
#include "support/int128.h"

namespace qx::exec {

struct RiskContext {
    std::uint32_t open_orders = 0;  // open orders on the route
    Int128 open_notional = 0;       // sum of price x leaves over those orders (wrapping)
    std::int64_t reference_price = 0;
    bool duplicate_client_order_id = false;
    bool account_enabled = true;
    bool route_enabled = true;
    bool symbol_enabled = true;
    bool order_type_supported = true;
    bool time_in_force_supported = true;
};

struct RiskDecision {
    bool accepted = true;
    RiskRejectReason reason = RiskRejectReason::None;
    EventText message;

    static RiskDecision accept() noexcept { return {}; }
    static RiskDecision reject(RiskRejectReason reason, const EventText& message) noexcept {
        return {false, reason, message};
    }
};

// The rejection a route check produces for `reason`, with that check's message ("kill switch
// active", "max open orders exceeded", ...).
RiskDecision route_reject(RiskRejectReason reason) noexcept;

// Kill switch, account/route/symbol enabled, duplicate identifier, supported order type and
// time in force, then the open-order limit (max_open_orders - 1 < open_orders in unsigned
// 32-bit arithmetic, so 0 never limits). Accept means "pass on to the next group".
RiskDecision check_route_common(bool kill_switch, std::uint32_t max_open_orders,
                                const RiskContext& context) noexcept;

// Order quantity, order notional, open notional plus the order's (saturating), then the price
// band around a positive reference price.
RiskDecision check_route_size_price(const RouteConfig& route, std::int64_t quantity,
                                    std::int64_t price, const RiskContext& context) noexcept;

// A new order: the common checks, then size and price with its quantity and limit price (the
// limit price for every order type, so a Market order with limit 0 has notional 0).
RiskDecision check_route_new(const OrderRequest& order, const RouteConfig& route,
                             const RiskContext& context) noexcept;

}  // namespace qx::exec
