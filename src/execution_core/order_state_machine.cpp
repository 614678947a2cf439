#include "execution_core/order_state_machine.h"

#include <cstdint>

namespace qx::exec {
namespace {

// Restatement, StatusReport and Informational take the venue's status only when it is
// Restated or Unknown.
void adopt_restated_status(OrderState& state, OrderStatus reported) noexcept {
    if (reported == OrderStatus::Restated || reported == OrderStatus::Unknown) {
        state.status = reported;
    }
}

// Rejected, Canceled, Expired and Replaced take the venue's quantities and average price.
void take_fill_figures(OrderState& state, const ExecutionEvent& event) noexcept {
    state.filled_qty = event.cum_qty;
    state.leaves_qty = event.leaves_qty;
    state.avg_price = event.avg_price;
}

bool is_pending_status(OrderStatus s) noexcept {
    return s == OrderStatus::PendingNew || s == OrderStatus::PendingCancel ||
           s == OrderStatus::PendingReplace;
}

std::int64_t wrapping_add(std::int64_t a, std::int64_t b) noexcept {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

}  // namespace

Expected<void, ExecutionCoreError> OrderStateMachine::apply(const ExecutionEvent& event) noexcept {
    const auto fail = [] { return Unexpected(ExecutionCoreError::invalid_transition()); };
    OrderState& s = state_;

    // Every precondition is checked before the first change, so a failure changes nothing.
    if (is_terminal(s.status)) {
        if (event.kind != ExecutionType::Restatement) {
            return fail();
        }
        adopt_restated_status(s, event.status);
        s.updated_ts_ns = event.ts_ns;
        return {};
    }

    switch (event.kind) {
        case ExecutionType::New:
            if (s.status != OrderStatus::PendingNew) {
                return fail();
            }
            s.status = OrderStatus::New;
            s.venue_order_id = event.venue_order_id;
            s.leaves_qty = event.leaves_qty;
            break;
        case ExecutionType::Rejected:
            s.status = OrderStatus::Rejected;
            take_fill_figures(s, event);
            break;
        case ExecutionType::Trade:
            if (event.cum_qty > s.quantity) {
                return fail();
            }
            s.filled_qty = event.cum_qty;
            s.leaves_qty = event.leaves_qty;
            s.avg_price = event.avg_price;
            s.status = event.leaves_qty == 0 ? OrderStatus::Filled : OrderStatus::PartiallyFilled;
            break;
        case ExecutionType::PendingCancel:
            if (is_pending_status(s.status)) {
                return fail();
            }
            s.status = OrderStatus::PendingCancel;
            break;
        case ExecutionType::Canceled:
            s.status = OrderStatus::Canceled;
            take_fill_figures(s, event);
            break;
        case ExecutionType::CancelRejected:
        case ExecutionType::ReplaceRejected:
            s.status = event.status;  // whatever the venue reports, unchecked
            break;
        case ExecutionType::PendingReplace:
            if (is_pending_status(s.status)) {
                return fail();
            }
            s.status = OrderStatus::PendingReplace;
            break;
        case ExecutionType::Replaced:
            if (s.status != OrderStatus::PendingReplace) {
                return fail();
            }
            s.client_order_id = event.client_order_id;
            s.current_client_order_id = event.client_order_id;
            s.status = OrderStatus::Replaced;
            s.quantity = wrapping_add(event.cum_qty, event.leaves_qty);
            take_fill_figures(s, event);
            break;
        case ExecutionType::Expired:
            s.status = OrderStatus::Expired;
            take_fill_figures(s, event);
            break;
        case ExecutionType::Restatement:
        case ExecutionType::StatusReport:
        case ExecutionType::Informational:
            adopt_restated_status(s, event.status);
            break;
        default:
            return fail();  // a kind outside 1 to 13
    }
    s.updated_ts_ns = event.ts_ns;
    return {};
}

}  // namespace qx::exec
