#include "execution_algos/twap_slice_planner.h"

#include <algorithm>
#include <limits>

#include "support/int128.h"
#include "support/saturating.h"

namespace qx::exec {

std::uint64_t TwapSlicePlanner::slice_count(std::uint64_t start_ns, std::uint64_t end_ns,
                                            std::uint64_t interval_ns) noexcept {
    const std::uint64_t span = end_ns - start_ns;
    return span / interval_ns + (span % interval_ns != 0 ? 1 : 0);
}

std::uint64_t TwapSlicePlanner::slices_due(std::uint64_t start_ns, std::uint64_t end_ns,
                                           std::uint64_t interval_ns,
                                           std::uint64_t now_ns) noexcept {
    const std::uint64_t slices = slice_count(start_ns, end_ns, interval_ns);
    const std::uint64_t elapsed_slices = (std::min(now_ns, end_ns) - start_ns) / interval_ns;
    // elapsed_slices + 1 is only formed below `slices`, so it cannot overflow.
    return elapsed_slices >= slices ? slices : elapsed_slices + 1;
}

std::int64_t TwapSlicePlanner::target_quantity(std::int64_t quantity, std::uint64_t due,
                                               std::uint64_t slices) noexcept {
    const UInt128 product = static_cast<UInt128>(quantity) * due;
    const UInt128 target = product / slices + (product % slices != 0 ? 1 : 0);
    constexpr auto kMax = static_cast<UInt128>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(target > kMax ? kMax : target);
}

Expected<std::optional<ChildOrderPlan>, AlgoError> TwapSlicePlanner::plan_due_slice(
    const ParentOrder& parent, const AlgoProgress& progress, std::uint64_t now_ns,
    const SliceId& slice_id, const ClientOrderId& client_order_id,
    std::uint64_t ts_ns) const noexcept {
    using Result = Expected<std::optional<ChildOrderPlan>, AlgoError>;
    if (auto valid = validate_parent(parent); !valid) {
        return Unexpected(valid.error());
    }
    if (slice_interval_ns == 0) {
        return Unexpected(AlgoError::InvalidSchedule);
    }
    if (parent.inactive()) {
        return Unexpected(AlgoError::ParentInactive);
    }
    const std::int64_t total = parent.quantity;
    const std::int64_t released = progress.released_qty;
    if (progress.parent_order_id != parent.parent_order_id || progress.total_qty != total ||
        released > total || progress.filled_qty > total) {
        return Unexpected(AlgoError::ProgressMismatch);
    }
    const Result nothing = std::optional<ChildOrderPlan>{};
    if (now_ns < parent.start_ns || progress.filled_qty >= total) {
        return nothing;
    }

    const std::uint64_t slices = slice_count(parent.start_ns, parent.end_ns, slice_interval_ns);
    const std::uint64_t due = slices_due(parent.start_ns, parent.end_ns, slice_interval_ns, now_ns);
    const std::int64_t target = target_quantity(total, due, slices);
    if (released >= target) {
        return nothing;
    }
    const std::int64_t child_qty =
        std::min({sat_sub(target, released), parent.max_child_qty, sat_sub(total, released)});
    const bool completes_parent = sat_add(released, child_qty) >= total;
    if (!completes_parent && now_ns < parent.end_ns && child_qty < parent.min_child_qty) {
        return nothing;
    }
    if (child_qty <= 0) {
        return nothing;
    }

    OrderRequest request;
    request.client_order_id = client_order_id;
    request.account = parent.account;
    request.route = parent.route;
    request.tag = parent.tag;
    request.symbol = parent.symbol;
    request.side = parent.side;
    request.order_type = parent.order_type;
    request.time_in_force = parent.time_in_force;
    request.quantity = child_qty;
    request.limit_price = parent.limit_price;
    request.stop_price = parent.stop_price;
    request.origin_ts_ns = 0;
    request.ts_ns = ts_ns;
    auto plan = ChildOrderPlan::create(slice_id, parent.parent_order_id, request, now_ns);
    if (!plan) {
        return Unexpected(plan.error());
    }
    return std::optional<ChildOrderPlan>(*plan);
}

}  // namespace qx::exec
