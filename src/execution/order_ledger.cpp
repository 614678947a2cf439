#include "execution/order_ledger.h"

#include <utility>

namespace qx::exec {

const OrderState* OrderLedger::find(const ClientOrderId& id) const {
    const auto it = orders_.find(id);
    return it == orders_.end() ? nullptr : &it->second.state();
}

void OrderLedger::put(const ClientOrderId& key, const OrderStateMachine& machine) {
    orders_.insert_or_assign(key, machine);
}

void OrderLedger::insert_new(const OrderState& state, const OrderTag& tag, OrderPrice price) {
    put(state.client_order_id, OrderStateMachine(state));
    order_tags_.insert_or_assign(state.client_order_id, tag);
    order_prices_.insert_or_assign(state.client_order_id, price);
}

void OrderLedger::note_amended_price(const ClientOrderId& new_id, OrderPrice price) {
    amended_prices_.insert_or_assign(new_id, price);
}

Expected<bool, ExecutionCoreError> OrderLedger::apply(const ExecutionEvent& event) {
    const auto it = orders_.find(order_key(event));
    if (it == orders_.end()) {
        return false;
    }
    if (auto applied = it->second.apply(event); !applied) {
        return Unexpected(applied.error());
    }
    if (event.kind != ExecutionType::Replaced) {
        return true;
    }

    // Re-key: the order now lives under the identifier the replace gave it.
    const ClientOrderId old_key = it->first;
    const ClientOrderId& new_key = event.client_order_id;
    const OrderStateMachine machine = std::move(it->second);
    orders_.erase(it);
    put(new_key, machine);

    OrderPrice price = event.avg_price;
    if (const auto amended = amended_prices_.find(new_key); amended != amended_prices_.end()) {
        price = amended->second;
        amended_prices_.erase(amended);
    }
    order_prices_.erase(old_key);
    order_prices_.insert_or_assign(new_key, price);

    if (const auto tag = order_tags_.find(old_key); tag != order_tags_.end()) {
        const OrderTag moved = tag->second;
        order_tags_.erase(tag);
        order_tags_.insert_or_assign(new_key, moved);
    }
    return true;
}

void OrderLedger::adopt(const ExecutionEvent& event) {
    OrderState state;
    state.client_order_id = event.client_order_id;
    state.current_client_order_id = event.client_order_id;
    state.account = event.account;
    state.route = event.route;
    state.symbol = event.symbol;
    state.side = OrderSide::Buy;
    state.status = OrderStatus::PendingNew;
    state.quantity = static_cast<std::int64_t>(static_cast<std::uint64_t>(event.cum_qty) +
                                               static_cast<std::uint64_t>(event.leaves_qty));
    state.leaves_qty = state.quantity;
    state.updated_ts_ns = event.ts_ns;
    put(state.client_order_id, OrderStateMachine(state));
    order_prices_.insert_or_assign(state.client_order_id, event.avg_price);
    order_tags_.insert_or_assign(state.client_order_id, OrderTag{});
}

OrderPrice OrderLedger::exposure_price(const OrderState& state) const {
    if (const auto p = order_prices_.find(state.client_order_id); p != order_prices_.end()) {
        return p->second;
    }
    if (const auto p = order_prices_.find(state.current_client_order_id);
        p != order_prices_.end()) {
        return p->second;
    }
    return state.avg_price;
}

OpenExposure OrderLedger::open_exposure(const RouteKey& route) const {
    OpenExposure exposure;
    for (const auto& [key, machine] : orders_) {
        const OrderState& s = machine.state();
        if (is_terminal(s.status) || s.account != route.account || s.route != route.route ||
            s.symbol != route.symbol) {
            continue;
        }
        exposure.open_orders += 1;
        exposure.open_notional =
            wrapping_add(exposure.open_notional, widening_mul(exposure_price(s), s.leaves_qty));
    }
    return exposure;
}

std::optional<OrderPrice> OrderLedger::price(const ClientOrderId& id) const {
    const auto it = order_prices_.find(id);
    return it == order_prices_.end() ? std::nullopt : std::optional<OrderPrice>(it->second);
}

std::optional<OrderPrice> OrderLedger::amended_price(const ClientOrderId& id) const {
    const auto it = amended_prices_.find(id);
    return it == amended_prices_.end() ? std::nullopt : std::optional<OrderPrice>(it->second);
}

std::optional<OrderTag> OrderLedger::tag(const ClientOrderId& id) const {
    const auto it = order_tags_.find(id);
    return it == order_tags_.end() ? std::nullopt : std::optional<OrderTag>(it->second);
}

}  // namespace qx::exec
