#include "execution/risk_checks.h"

namespace qx::exec {

RiskDecision route_reject(RiskRejectReason reason) noexcept {
    EventText message;
    switch (reason) {
        case RiskRejectReason::KillSwitch:
            message = EventText::literal("kill switch active");
            break;
        case RiskRejectReason::AccountDisabled:
            message = EventText::literal("account disabled");
            break;
        case RiskRejectReason::RouteDisabled:
            message = EventText::literal("route disabled");
            break;
        case RiskRejectReason::SymbolDisabled:
            message = EventText::literal("symbol disabled");
            break;
        case RiskRejectReason::MaxOrderQty:
            message = EventText::literal("max order quantity exceeded");
            break;
        case RiskRejectReason::MaxOrderNotional:
            message = EventText::literal("max order notional exceeded");
            break;
        case RiskRejectReason::MaxOpenOrders:
            message = EventText::literal("max open orders exceeded");
            break;
        case RiskRejectReason::MaxOpenNotional:
            message = EventText::literal("max open notional exceeded");
            break;
        case RiskRejectReason::PriceBand:
            message = EventText::literal("price outside risk band");
            break;
        case RiskRejectReason::DuplicateClientOrderId:
            message = EventText::literal("duplicate client order id");
            break;
        case RiskRejectReason::UnsupportedOrderType:
            message = EventText::literal("unsupported order type");
            break;
        case RiskRejectReason::UnsupportedTimeInForce:
            message = EventText::literal("unsupported time in force");
            break;
        case RiskRejectReason::None:
            break;
    }
    return RiskDecision::reject(reason, message);
}

RiskDecision check_route_common(bool kill_switch, std::uint32_t max_open_orders,
                                const RiskContext& context) noexcept {
    if (kill_switch) {
        return route_reject(RiskRejectReason::KillSwitch);
    }
    if (!context.account_enabled) {
        return route_reject(RiskRejectReason::AccountDisabled);
    }
    if (!context.route_enabled) {
        return route_reject(RiskRejectReason::RouteDisabled);
    }
    if (!context.symbol_enabled) {
        return route_reject(RiskRejectReason::SymbolDisabled);
    }
    if (context.duplicate_client_order_id) {
        return route_reject(RiskRejectReason::DuplicateClientOrderId);
    }
    if (!context.order_type_supported) {
        return route_reject(RiskRejectReason::UnsupportedOrderType);
    }
    if (!context.time_in_force_supported) {
        return route_reject(RiskRejectReason::UnsupportedTimeInForce);
    }
    // Unsigned wrap-around turns a limit of 0 into "no limit".
    if (static_cast<std::uint32_t>(max_open_orders - 1u) < context.open_orders) {
        return route_reject(RiskRejectReason::MaxOpenOrders);
    }
    return RiskDecision::accept();
}

RiskDecision check_route_size_price(const RouteConfig& route, std::int64_t quantity,
                                    std::int64_t price, const RiskContext& context) noexcept {
    if (route.max_order_qty > 0 && quantity > route.max_order_qty) {
        return route_reject(RiskRejectReason::MaxOrderQty);
    }
    const Int128 notional = widening_mul(quantity, price);
    if (route.max_order_notional > 0 && notional > route.max_order_notional) {
        return route_reject(RiskRejectReason::MaxOrderNotional);
    }
    const Int128 total = sat_add(context.open_notional, notional);
    if (route.max_open_notional > 0 && total > route.max_open_notional) {
        return route_reject(RiskRejectReason::MaxOpenNotional);
    }
    if (route.price_band > 0 && context.reference_price > 0 && price > 0) {
        // Both prices are positive, so the distance fits in 64 bits.
        const std::int64_t distance = price > context.reference_price
                                          ? price - context.reference_price
                                          : context.reference_price - price;
        if (distance > route.price_band) {
            return route_reject(RiskRejectReason::PriceBand);
        }
    }
    return RiskDecision::accept();
}

RiskDecision check_route_new(const OrderRequest& order, const RouteConfig& route,
                             const RiskContext& context) noexcept {
    RiskDecision decision = check_route_common(route.kill_switch, route.max_open_orders, context);
    if (!decision.accepted) {
        return decision;
    }
    return check_route_size_price(route, order.quantity, order.limit_price, context);
}

}  // namespace qx::exec
