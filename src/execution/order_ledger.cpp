#include "execution/order_ledger.h"

#include <utility>

namespace qx::exec {

const OrderState* OrderLedger::find(const ClientOrderId& id) const {
    const auto it = orders_.find(id);
    return it == orders_.end() ? nullptr : &it->second.machine.state();
}

OpenExposure* OrderLedger::totals_for(const OrderState& state) {
    return &totals_.try_emplace(RouteKey{state.route, state.account, state.symbol}).first->second;
}

OrderLedger::HeldOrder& OrderLedger::put(const ClientOrderId& key,
                                         const OrderStateMachine& machine) {
    OpenExposure* totals = totals_for(machine.state());
    const auto [it, inserted] = orders_.try_emplace(key, HeldOrder{machine, totals});
    if (!inserted) {
        withdraw(it->second);
        it->second = HeldOrder{machine, totals};
    }
    return it->second;
}

void OrderLedger::withdraw(HeldOrder& held) noexcept {
    if (held.counted_open) {
        held.totals->open_orders -= 1;
        held.totals->open_notional =
            wrapping_sub(held.totals->open_notional, held.counted_notional);
        held.counted_open = false;
        held.counted_notional = 0;
    }
}

void OrderLedger::admit(HeldOrder& held) const {
    const OrderState& s = held.machine.state();
    if (is_terminal(s.status)) {
        return;
    }
    held.counted_open = true;
    held.counted_notional = widening_mul(exposure_price(s), s.leaves_qty);
    held.totals->open_orders += 1;
    held.totals->open_notional = wrapping_add(held.totals->open_notional, held.counted_notional);
}

void OrderLedger::insert_new(const OrderState& state, const OrderTag& tag, OrderPrice price) {
    HeldOrder& held = put(state.client_order_id, OrderStateMachine(state));
    order_tags_.insert_or_assign(state.client_order_id, tag);
    order_prices_.insert_or_assign(state.client_order_id, price);
    admit(held);
}

void OrderLedger::note_amended_price(const ClientOrderId& new_id, OrderPrice price) {
    amended_prices_.insert_or_assign(new_id, price);
}

Expected<bool, ExecutionCoreError> OrderLedger::apply(const ExecutionEvent& event) {
    const auto it = orders_.find(order_key(event));
    if (it == orders_.end()) {
        return false;
    }
    HeldOrder& held = it->second;
    if (auto applied = held.machine.apply(event); !applied) {
        return Unexpected(applied.error());  // nothing changed, the contribution still holds
    }
    withdraw(held);
    if (event.kind != ExecutionType::Replaced) {
        admit(held);
        return true;
    }

    // Re-key: the order now lives under the identifier the replace gave it.
    const ClientOrderId old_key = it->first;
    const ClientOrderId& new_key = event.client_order_id;
    const OrderStateMachine machine = held.machine;
    orders_.erase(it);
    HeldOrder& placed = put(new_key, machine);

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
    admit(placed);
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
    HeldOrder& held = put(state.client_order_id, OrderStateMachine(state));
    order_prices_.insert_or_assign(state.client_order_id, event.avg_price);
    order_tags_.insert_or_assign(state.client_order_id, OrderTag{});
    admit(held);
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
    const auto it = totals_.find(route);
    return it == totals_.end() ? OpenExposure{} : it->second;
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
