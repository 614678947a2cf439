#include "execution_core/order_records.h"

namespace qx::exec {

OrderState new_order_state(const OrderRequest& request) noexcept {
    OrderState state;
    state.client_order_id = request.client_order_id;
    state.current_client_order_id = request.client_order_id;
    state.account = request.account;
    state.route = request.route;
    state.symbol = request.symbol;
    state.side = request.side;
    state.status = OrderStatus::PendingNew;
    state.quantity = request.quantity;
    state.leaves_qty = request.quantity;
    state.updated_ts_ns = request.ts_ns;
    return state;
}

const ClientOrderId& order_key(const ExecutionEvent& event) noexcept {
    const std::uint8_t kind = to_code(event.kind);
    const bool answers_cancel_or_replace = kind >= to_code(ExecutionType::PendingCancel) &&
                                           kind <= to_code(ExecutionType::ReplaceRejected);
    if (answers_cancel_or_replace && !event.orig_client_order_id.empty()) {
        return event.orig_client_order_id;
    }
    return event.client_order_id;
}

}  // namespace qx::exec
