// The running account of what an algorithm released to the market and what was filled.
#pragma once

#include <cstdint>

#include "execution_algos/algo_error.h"
#include "execution_algos/child_order_plan.h"
#include "execution_algos/parent_order.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

struct AlgoProgress {
    std::int64_t total_qty = 0;        // the parent's quantity
    std::int64_t released_qty = 0;     // committed child quantity; never above total_qty
    std::int64_t filled_qty = 0;       // reported fills, capped at total_qty
    std::int64_t outstanding_qty = 0;  // released and not yet filled or ended
    std::uint64_t rejected_children = 0;
    std::uint64_t terminal_children = 0;
    ParentOrderId parent_order_id;

    // A new progress: the parent's quantity and id, every counter 0.
    static AlgoProgress for_parent(const ParentOrder& parent) noexcept;

    // Counts a child as released: its parent must be this progress's and released_qty plus its
    // quantity (saturating) must not exceed total_qty, else ProgressMismatch and nothing
    // changes. released_qty and outstanding_qty each grow by the child's quantity.
    Expected<void, AlgoError> on_child_released(const ChildOrderPlan& plan) noexcept;

    // Takes one execution of any child: a positive last_qty adds to filled_qty (capped at the
    // total) and leaves outstanding_qty; a terminal status (Filled, Canceled, Rejected,
    // Expired) counts a terminal child (and a rejected one for Rejected) and caps
    // outstanding_qty at the event's leaves_qty, negative leaves counting as 0.
    void on_execution_event(const ExecutionEvent& event) noexcept;

    friend bool operator==(const AlgoProgress&, const AlgoProgress&) = default;
};

}  // namespace qx::exec
