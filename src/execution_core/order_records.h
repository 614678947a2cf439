// The plain records of the execution side: requests, venue events and per-order state. Every
// record is a copyable value without heap memory or pointers.
#pragma once

#include <cstdint>

#include "execution_core/execution_symbol.h"
#include "execution_core/fixed_ascii.h"
#include "execution_core/order_enums.h"

namespace qx::exec {

// A price in the venue's ticks. Quantities are signed 64-bit lots; notionals (price x
// quantity) are computed in 128 bits.
using OrderPrice = std::int64_t;

// A new order.
struct OrderRequest {
    ClientOrderId client_order_id;  // the order's key for its whole life
    AccountId account;              // account, route and symbol select the route
    RouteId route;
    OrderTag tag;  // optional (empty = none); stored per order, never checked
    ExecutionSymbol symbol;
    OrderSide side{};
    OrderType order_type{};
    TimeInForce time_in_force{};
    std::int64_t quantity = 0;     // must be > 0
    std::int64_t limit_price = 0;  // must be > 0 for Limit and StopLimit
    std::int64_t stop_price = 0;   // must be > 0 for Stop and StopLimit
    // Copied unchanged into the events the venue reports for this submission.
    std::uint64_t origin_ts_ns = 0;
    std::uint64_t ts_ns = 0;  // journal time stamp and initial updated_ts_ns

    friend bool operator==(const OrderRequest&, const OrderRequest&) = default;
};

// Cancel/replace of an existing order.
struct AmendRequest {
    ClientOrderId client_order_id;       // the identifier the order carries after the replace
    ClientOrderId orig_client_order_id;  // the order to amend
    VenueOrderId venue_order_id;         // optional
    AccountId account;
    RouteId route;
    ExecutionSymbol symbol;
    std::int64_t new_quantity = 0;
    std::int64_t new_price = 0;
    std::uint64_t ts_ns = 0;

    friend bool operator==(const AmendRequest&, const AmendRequest&) = default;
};

struct CancelRequest {
    ClientOrderId client_order_id;       // identifier of the cancel request itself
    ClientOrderId orig_client_order_id;  // the order to cancel
    VenueOrderId venue_order_id;         // optional
    AccountId account;
    RouteId route;
    ExecutionSymbol symbol;
    std::uint64_t ts_ns = 0;

    friend bool operator==(const CancelRequest&, const CancelRequest&) = default;
};

// One report from a venue, or a local risk rejection.
struct ExecutionEvent {
    ExecutionType kind{};
    // The status the venue reports; read by the state machine only for CancelRejected,
    // ReplaceRejected, Restatement, StatusReport and Informational.
    OrderStatus status{};
    ClientOrderId client_order_id;
    ClientOrderId orig_client_order_id;  // empty unless the event answers an amend or cancel
    VenueOrderId venue_order_id;
    ExecutionId execution_id;  // empty except on Trade events
    AccountId account;
    RouteId route;
    ExecutionSymbol symbol;
    std::int64_t last_qty = 0;
    std::int64_t last_price = 0;
    std::int64_t cum_qty = 0;
    std::int64_t leaves_qty = 0;
    std::int64_t avg_price = 0;
    std::uint64_t origin_ts_ns = 0;
    std::uint64_t ts_ns = 0;  // becomes the order's updated_ts_ns
    RiskRejectReason reject_reason = RiskRejectReason::None;
    EventText text;  // reject message or empty

    friend bool operator==(const ExecutionEvent&, const ExecutionEvent&) = default;
};

// The engine's record of one order.
struct OrderState {
    ClientOrderId client_order_id;
    ClientOrderId current_client_order_id;  // equal to client_order_id, also after a replace
    VenueOrderId venue_order_id;            // empty until the venue acknowledges
    AccountId account;
    RouteId route;
    ExecutionSymbol symbol;
    OrderSide side{};
    OrderStatus status{};
    std::int64_t quantity = 0;
    std::int64_t filled_qty = 0;
    std::int64_t leaves_qty = 0;
    std::int64_t avg_price = 0;
    std::uint64_t updated_ts_ns = 0;

    friend bool operator==(const OrderState&, const OrderState&) = default;
};

// The state of a newly accepted order: PendingNew, quantity = leaves = the request's
// quantity, nothing filled, no venue order id yet.
OrderState new_order_state(const OrderRequest& request) noexcept;

// The identifier an event is matched to an order by: its orig_client_order_id when that is
// set and the event answers a cancel or replace (kinds PendingCancel to ReplaceRejected),
// otherwise its client_order_id.
const ClientOrderId& order_key(const ExecutionEvent& event) noexcept;

}  // namespace qx::exec
