#include "execution_algos/child_order_plan.h"

#include "execution_core/order_validation.h"

namespace qx::exec {

Expected<ChildOrderPlan, AlgoError> ChildOrderPlan::create(const SliceId& slice_id,
                                                           const ParentOrderId& parent_order_id,
                                                           const OrderRequest& request,
                                                           std::uint64_t planned_at_ns) noexcept {
    if (auto valid = validate_order_request(request); !valid) {
        return Unexpected(algo_error_from_core(valid.error()));
    }
    ChildOrderPlan plan;
    plan.planned_at_ns = planned_at_ns;
    plan.request = request;
    plan.slice_id = slice_id;
    plan.parent_order_id = parent_order_id;
    return plan;
}

}  // namespace qx::exec
