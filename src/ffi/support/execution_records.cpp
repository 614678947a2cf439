#include "ffi/support/execution_records.h"

#include "ffi/support/execution_identifiers.h"

namespace qx::ffi {
namespace {

std::optional<exec::ExecutionSymbol> symbol_from_ffi(const char* venue, const char* symbol) {
    auto v = required_identifier<16>(venue);
    if (!v) {
        return std::nullopt;
    }
    auto s = required_identifier<32>(symbol);
    if (!s) {
        return std::nullopt;
    }
    return exec::ExecutionSymbol{*v, *s};
}

}  // namespace

std::optional<exec::RouteConfig> route_config_from_ffi(const qx_route_config_t& record) {
    exec::RouteConfig route;
    auto id = required_identifier<32>(record.route);
    if (!id) {
        return std::nullopt;
    }
    route.route = *id;
    auto account = required_identifier<32>(record.account);
    if (!account) {
        return std::nullopt;
    }
    route.account = *account;
    auto symbol = symbol_from_ffi(record.venue, record.symbol);
    if (!symbol) {
        return std::nullopt;
    }
    route.symbol = *symbol;
    route.enabled = record.enabled != 0;
    route.kill_switch = record.kill_switch != 0;
    route.max_order_qty = record.max_order_qty;
    route.max_order_notional = record.max_order_notional;
    route.max_open_orders = record.max_open_orders;
    route.max_open_notional = record.max_open_notional;
    route.price_band = record.price_band;
    return route;
}

std::optional<std::vector<exec::RouteConfig>> route_configs_from_ffi(
    const qx_route_config_t* records, std::uint32_t count) {
    std::vector<exec::RouteConfig> routes;
    routes.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto route = route_config_from_ffi(records[i]);
        if (!route) {
            return std::nullopt;
        }
        routes.push_back(*route);
    }
    return routes;
}

std::optional<exec::OrderRequest> order_request_from_ffi(const qx_order_request_t& record) {
    exec::OrderRequest order;
    auto id = required_identifier<40>(record.client_order_id);
    if (!id) {
        return std::nullopt;
    }
    order.client_order_id = *id;
    auto account = required_identifier<32>(record.account);
    if (!account) {
        return std::nullopt;
    }
    order.account = *account;
    auto route = required_identifier<32>(record.route);
    if (!route) {
        return std::nullopt;
    }
    order.route = *route;
    order.tag = optional_identifier<32>(record.tag);
    auto symbol = symbol_from_ffi(record.venue, record.symbol);
    if (!symbol) {
        return std::nullopt;
    }
    order.symbol = *symbol;

    const auto side = exec::order_side_from_code(record.side);
    const auto type = exec::order_type_from_code(record.order_type);
    const auto tif = exec::time_in_force_from_code(record.time_in_force);
    if (!side || !type || !tif) {
        return std::nullopt;
    }
    order.side = *side;
    order.order_type = *type;
    order.time_in_force = *tif;
    order.quantity = record.quantity;
    order.limit_price = record.limit_price;
    order.stop_price = record.stop_price;
    order.origin_ts_ns = record.origin_ts_ns;
    order.ts_ns = record.ts_ns;
    return order;
}

namespace {

// The fields amend and cancel records share, in their common order.
template <typename Record, typename Request>
bool common_request_from_ffi(const Record& record, Request& request) {
    auto id = required_identifier<40>(record.client_order_id);
    if (!id) {
        return false;
    }
    request.client_order_id = *id;
    auto orig = required_identifier<40>(record.orig_client_order_id);
    if (!orig) {
        return false;
    }
    request.orig_client_order_id = *orig;
    request.venue_order_id = optional_identifier<48>(record.venue_order_id);
    auto account = required_identifier<32>(record.account);
    if (!account) {
        return false;
    }
    request.account = *account;
    auto route = required_identifier<32>(record.route);
    if (!route) {
        return false;
    }
    request.route = *route;
    auto symbol = symbol_from_ffi(record.venue, record.symbol);
    if (!symbol) {
        return false;
    }
    request.symbol = *symbol;
    request.ts_ns = record.ts_ns;
    return true;
}

}  // namespace

std::optional<exec::AmendRequest> amend_request_from_ffi(const qx_amend_request_t& record) {
    exec::AmendRequest request;
    if (!common_request_from_ffi(record, request)) {
        return std::nullopt;
    }
    request.new_quantity = record.new_quantity;
    request.new_price = record.new_price;
    return request;
}

std::optional<exec::CancelRequest> cancel_request_from_ffi(const qx_cancel_request_t& record) {
    exec::CancelRequest request;
    if (!common_request_from_ffi(record, request)) {
        return std::nullopt;
    }
    return request;
}

void execution_event_to_ffi(const exec::ExecutionEvent& event, qx_execution_event_t& out) noexcept {
    out.kind = exec::to_code(event.kind);
    out.status = exec::to_code(event.status);
    copy_identifier(event.client_order_id, out.client_order_id);
    copy_identifier(event.orig_client_order_id, out.orig_client_order_id);
    copy_identifier(event.venue_order_id, out.venue_order_id);
    copy_identifier(event.execution_id, out.execution_id);
    copy_identifier(event.account, out.account);
    copy_identifier(event.route, out.route);
    copy_identifier(event.symbol.venue, out.venue);
    copy_identifier(event.symbol.symbol, out.symbol);
    out.last_qty = event.last_qty;
    out.last_price = event.last_price;
    out.cum_qty = event.cum_qty;
    out.leaves_qty = event.leaves_qty;
    out.avg_price = event.avg_price;
    out.origin_ts_ns = event.origin_ts_ns;
    out.ts_ns = event.ts_ns;
    out.reject_reason = exec::to_code(event.reject_reason);
    copy_identifier(event.text, out.text);
}

void order_state_to_ffi(const exec::OrderState& state, qx_order_state_t& out) noexcept {
    copy_identifier(state.client_order_id, out.client_order_id);
    copy_identifier(state.venue_order_id, out.venue_order_id);
    copy_identifier(state.account, out.account);
    copy_identifier(state.route, out.route);
    copy_identifier(state.symbol.venue, out.venue);
    copy_identifier(state.symbol.symbol, out.symbol);
    out.status = exec::to_code(state.status);
    out.quantity = state.quantity;
    out.filled_qty = state.filled_qty;
    out.leaves_qty = state.leaves_qty;
    out.avg_price = state.avg_price;
    out.updated_ts_ns = state.updated_ts_ns;
}

qx_status_t copy_execution_events(std::span<const exec::ExecutionEvent> events,
                                  qx_execution_event_t* out, std::uint32_t* event_count) noexcept {
    if (event_count == nullptr) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    const std::uint32_t capacity = *event_count;
    const auto n = static_cast<std::uint32_t>(events.size());
    *event_count = n;
    if (n == 0) {
        return QX_STATUS_OK;
    }
    if (out == nullptr || capacity < n) {
        return QX_STATUS_CAPACITY;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        execution_event_to_ffi(events[i], out[i]);
    }
    return QX_STATUS_OK;
}

qx_status_t execution_error_status(const exec::ExecutionError& error) noexcept {
    using Kind = exec::ExecutionError::Kind;
    switch (error.kind) {
        case Kind::AdapterDisconnected:
        case Kind::RouteNotFound:
            return QX_STATUS_REFUSED;
        case Kind::EventBufferFull:
            return QX_STATUS_CAPACITY;
        case Kind::RiskRejected:
            return QX_STATUS_RISK_REJECTED;
        case Kind::Core:
            return QX_STATUS_INVALID_ARGUMENT;
        case Kind::AdapterError:
        case Kind::JournalError:
            break;
    }
    return QX_STATUS_UNDELIVERABLE;
}

}  // namespace qx::ffi
