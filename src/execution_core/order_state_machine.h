// The order state machine: the only way an order's state changes in response to an event.
#pragma once

#include "execution_core/execution_core_error.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

class OrderStateMachine {
  public:
    explicit OrderStateMachine(const OrderState& state) noexcept : state_(state) {}

    const OrderState& state() const noexcept { return state_; }

    // Applies one event. A terminal order accepts only Restatement; an open order checks the
    // kind's precondition. On failure the state is left exactly as it was and the result is
    // InvalidTransition; on success updated_ts_ns becomes the event's ts_ns.
    Expected<void, ExecutionCoreError> apply(const ExecutionEvent& event) noexcept;

  private:
    OrderState state_;
};

}  // namespace qx::exec
