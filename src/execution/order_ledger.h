// The orders an engine holds, keyed by client order id, with the per-order price, amended
// price and tag maps, and the open exposure of each route.
//
// The open exposure of a route is kept as running totals rather than summed over every held
// order on each risk check: each order remembers what it currently contributes (counted as
// open or not, price x leaves_qty) and every change to an order or to its price entry
// withdraws the old contribution and adds the new one. Counting modulo 2^32 and wrapping
// 128-bit addition are exact inverses of themselves, so the totals always equal a full scan.
// This relies on an order's identifiers always equalling its key (both are set together on
// creation, adoption and re-keying), so a price entry affects only the order under that key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "execution/route_config.h"
#include "execution_core/execution_core_error.h"
#include "execution_core/fixed_ascii.h"
#include "execution_core/order_records.h"
#include "execution_core/order_state_machine.h"
#include "support/expected.h"
#include "support/int128.h"

namespace qx::exec {

// What the open-order and open-notional limits of a route read.
struct OpenExposure {
    std::uint32_t open_orders = 0;  // open (non-terminal) orders, counted modulo 2^32
    Int128 open_notional = 0;       // sum of price x leaves_qty over them, wrapping
};

class OrderLedger {
  public:
    OrderLedger() = default;
    // Orders point into the totals map, whose nodes a move hands over unchanged; a copy would
    // leave them pointing into the source.
    OrderLedger(const OrderLedger&) = delete;
    OrderLedger& operator=(const OrderLedger&) = delete;
    OrderLedger(OrderLedger&&) noexcept = default;
    OrderLedger& operator=(OrderLedger&&) noexcept = default;

    bool contains(const ClientOrderId& id) const { return orders_.contains(id); }
    const OrderState* find(const ClientOrderId& id) const;
    std::size_t size() const noexcept { return orders_.size(); }

    // Records a newly accepted order under its client order id with its tag and price.
    void insert_new(const OrderState& state, const OrderTag& tag, OrderPrice price);

    // Remembers the price an amend asks for, under the amend's new identifier, until the
    // venue's Replaced event is applied.
    void note_amended_price(const ClientOrderId& new_id, OrderPrice price);

    // Applies `event` to the order matched by its order key. Returns false when no order
    // matches (nothing changes), true when applied, InvalidTransition when the state machine
    // refuses it (nothing changes). After a Replaced event the order is re-keyed under the
    // event's client order id, taking its price from the amended prices (else the event's
    // avg_price) and its tag from the old identifier.
    Expected<bool, ExecutionCoreError> apply(const ExecutionEvent& event);

    // Takes in an order the ledger does not hold from a venue's status report: PendingNew,
    // quantity = leaves = cum_qty + leaves_qty of the event, side 1, empty tag, the event's
    // avg_price as its price.
    void adopt(const ExecutionEvent& event);

    // Open orders of the route's account, route and symbol and their notional.
    OpenExposure open_exposure(const RouteKey& route) const;

    // The price an order's open notional is computed with: its own entry in the price map,
    // else the entry of its current identifier, else its average price.
    OrderPrice exposure_price(const OrderState& state) const;

    std::optional<OrderPrice> price(const ClientOrderId& id) const;
    std::optional<OrderPrice> amended_price(const ClientOrderId& id) const;
    std::optional<OrderTag> tag(const ClientOrderId& id) const;

    // Visits every held order as (key, state), in no particular order.
    template <typename Visit>
    void for_each(Visit&& visit) const {
        for (const auto& [key, held] : orders_) {
            visit(key, held.machine.state());
        }
    }

  private:
    struct HeldOrder {
        OrderStateMachine machine;
        OpenExposure* totals;  // the running totals of the order's account, route and symbol
        bool counted_open = false;
        Int128 counted_notional = 0;
    };

    // Inserts or overwrites the order under `key` (withdrawing an overwritten order's
    // contribution); the caller admits it once its price entry is in place.
    HeldOrder& put(const ClientOrderId& key, const OrderStateMachine& machine);
    OpenExposure* totals_for(const OrderState& state);
    // Withdraws the order's current contribution from its totals.
    static void withdraw(HeldOrder& held) noexcept;
    // Adds the order's contribution as its state and price now stand.
    void admit(HeldOrder& held) const;

    std::unordered_map<ClientOrderId, HeldOrder, FixedAsciiHash> orders_;
    std::unordered_map<RouteKey, OpenExposure, RouteKeyHash> totals_;
    std::unordered_map<ClientOrderId, OrderPrice, FixedAsciiHash> order_prices_;
    std::unordered_map<ClientOrderId, OrderPrice, FixedAsciiHash> amended_prices_;
    std::unordered_map<ClientOrderId, OrderTag, FixedAsciiHash> order_tags_;
};

}  // namespace qx::exec
