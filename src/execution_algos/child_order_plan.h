// One child order an execution algorithm proposes: the request the host may send, and the
// identifiers that tie it to its slice and parent.
#pragma once

#include <cstdint>

#include "execution_algos/algo_error.h"
#include "execution_algos/parent_order.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

using SliceId = FixedAscii<40>;

struct ChildOrderPlan {
    std::uint64_t planned_at_ns = 0;  // the time the plan was made for
    OrderRequest request;
    SliceId slice_id;  // the caller's identifier of this plan
    ParentOrderId parent_order_id;

    // Validates the request as every new order is validated (quantity, then the prices its
    // order type needs): QuantityNotPositive or PriceNotPositive.
    static Expected<ChildOrderPlan, AlgoError> create(const SliceId& slice_id,
                                                      const ParentOrderId& parent_order_id,
                                                      const OrderRequest& request,
                                                      std::uint64_t planned_at_ns) noexcept;

    friend bool operator==(const ChildOrderPlan&, const ChildOrderPlan&) = default;
};

}  // namespace qx::exec
