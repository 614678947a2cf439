// Time-weighted slicing: the parent's window is cut into equal slice intervals, and by any
// moment the quantity released may reach the share of the parent that the slices due so far
// represent. The planner keeps no state of its own: what has been released is read from the
// progress, so missed slices are caught up by the next plan (at most max_child_qty per child).
#pragma once

#include <cstdint>
#include <optional>

#include "execution_algos/algo_error.h"
#include "execution_algos/algo_progress.h"
#include "execution_algos/child_order_plan.h"
#include "execution_algos/parent_order.h"
#include "support/expected.h"

namespace qx::exec {

struct TwapSlicePlanner {
    std::uint64_t slice_interval_ns = 0;  // 0 is refused as InvalidSchedule

    // Number of slices in the window: ceil((end - start) / interval), at least 1. The caller
    // has checked start < end and interval > 0.
    static std::uint64_t slice_count(std::uint64_t start_ns, std::uint64_t end_ns,
                                     std::uint64_t interval_ns) noexcept;
    // Slices due at `now_ns` (>= start): the first at start, the next at start + interval, ...;
    // all of them at or after the end.
    static std::uint64_t slices_due(std::uint64_t start_ns, std::uint64_t end_ns,
                                    std::uint64_t interval_ns, std::uint64_t now_ns) noexcept;
    // ceil(quantity x due / slices) in 128-bit arithmetic, capped at the largest int64.
    static std::int64_t target_quantity(std::int64_t quantity, std::uint64_t due,
                                        std::uint64_t slices) noexcept;

    // The child to release at `now_ns`, nothing (an empty optional) when nothing is due, or an
    // error: the parent's invariants as at creation, ParentInactive, or ProgressMismatch when
    // the progress belongs to another parent, has another total or records more released or
    // filled quantity than the total. Reads the progress and changes nothing.
    //
    // A child below min_child_qty waits, unless it completes the parent or the window has
    // ended. The child request copies the parent's account, route, tag, symbol, side, order
    // type, time in force and prices, with origin_ts_ns 0.
    Expected<std::optional<ChildOrderPlan>, AlgoError> plan_due_slice(
        const ParentOrder& parent, const AlgoProgress& progress, std::uint64_t now_ns,
        const SliceId& slice_id, const ClientOrderId& client_order_id,
        std::uint64_t ts_ns) const noexcept;
};

}  // namespace qx::exec
