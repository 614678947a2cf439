// A parent order to be worked by an execution algorithm over a time window.
#pragma once

#include <cstdint>

#include "execution_algos/algo_error.h"
#include "execution_core/execution_symbol.h"
#include "execution_core/fixed_ascii.h"
#include "execution_core/order_enums.h"
#include "support/expected.h"

namespace qx::exec {

using ParentOrderId = FixedAscii<40>;

struct ParentOrder {
    // State code of a parent that may be worked; codes 4 to 8 mean it is finished.
    static constexpr std::uint8_t kActiveState = 2;

    std::int64_t quantity = 0;
    std::int64_t limit_price = 0;
    std::int64_t stop_price = 0;
    std::uint64_t start_ns = 0;  // the schedule window [start_ns, end_ns)
    std::uint64_t end_ns = 0;
    std::int64_t min_child_qty = 0;  // bounds of one child's quantity
    std::int64_t max_child_qty = 0;
    ExecutionSymbol symbol;
    ParentOrderId parent_order_id;
    AccountId account;
    RouteId route;
    OrderTag tag;  // may be empty
    std::uint8_t state = kActiveState;
    TimeInForce time_in_force{};
    OrderType order_type{};
    OrderSide side{};

    // Validates `fields` (see validate_parent) and returns them as a new parent in state 2;
    // the state given in `fields` is ignored.
    static Expected<ParentOrder, AlgoError> create(ParentOrder fields);

    // True for the finished states 4 to 8.
    bool inactive() const noexcept { return state >= 4 && state <= 8; }
};

// The invariants of a parent, checked in this order: start_ns >= end_ns InvalidSchedule;
// min_child_qty <= 0 or max_child_qty < min_child_qty InvalidChildBounds; quantity <= 0
// QuantityNotPositive; the prices the order type needs (Limit: limit, Stop: stop, StopLimit:
// both) <= 0 PriceNotPositive.
Expected<void, AlgoError> validate_parent(const ParentOrder& parent) noexcept;

}  // namespace qx::exec
