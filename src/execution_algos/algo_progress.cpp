#include "execution_algos/algo_progress.h"

#include <algorithm>

#include "support/saturating.h"

namespace qx::exec {

AlgoProgress AlgoProgress::for_parent(const ParentOrder& parent) noexcept {
    AlgoProgress progress;
    progress.total_qty = parent.quantity;
    progress.parent_order_id = parent.parent_order_id;
    return progress;
}

Expected<void, AlgoError> AlgoProgress::on_child_released(const ChildOrderPlan& plan) noexcept {
    const std::int64_t qty = plan.request.quantity;
    if (plan.parent_order_id != parent_order_id || sat_add(released_qty, qty) > total_qty) {
        return Unexpected(AlgoError::ProgressMismatch);
    }
    released_qty = sat_add(released_qty, qty);
    outstanding_qty = sat_add(outstanding_qty, qty);
    return {};
}

void AlgoProgress::on_execution_event(const ExecutionEvent& event) noexcept {
    if (event.last_qty > 0) {
        filled_qty = std::min(total_qty, sat_add(filled_qty, event.last_qty));
        outstanding_qty = sat_sub(outstanding_qty, event.last_qty);
    }
    if (is_terminal(event.status)) {
        terminal_children = sat_add(terminal_children, std::uint64_t{1});
        if (event.status == OrderStatus::Rejected) {
            rejected_children = sat_add(rejected_children, std::uint64_t{1});
        }
        outstanding_qty = std::min(outstanding_qty, std::max<std::int64_t>(event.leaves_qty, 0));
    }
}

}  // namespace qx::exec
