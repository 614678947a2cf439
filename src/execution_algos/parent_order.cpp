#include "execution_algos/parent_order.h"

namespace qx::exec {

Expected<void, AlgoError> validate_parent(const ParentOrder& parent) noexcept {
    if (parent.start_ns >= parent.end_ns) {
        return Unexpected(AlgoError::InvalidSchedule);
    }
    if (parent.min_child_qty <= 0 || parent.max_child_qty < parent.min_child_qty) {
        return Unexpected(AlgoError::InvalidChildBounds);
    }
    if (parent.quantity <= 0) {
        return Unexpected(AlgoError::QuantityNotPositive);
    }
    const bool needs_limit =
        parent.order_type == OrderType::Limit || parent.order_type == OrderType::StopLimit;
    const bool needs_stop =
        parent.order_type == OrderType::Stop || parent.order_type == OrderType::StopLimit;
    if ((needs_limit && parent.limit_price <= 0) || (needs_stop && parent.stop_price <= 0)) {
        return Unexpected(AlgoError::PriceNotPositive);
    }
    return {};
}

Expected<ParentOrder, AlgoError> ParentOrder::create(ParentOrder fields) {
    if (auto valid = validate_parent(fields); !valid) {
        return Unexpected(valid.error());
    }
    fields.state = kActiveState;
    return fields;
}

}  // namespace qx::exec
