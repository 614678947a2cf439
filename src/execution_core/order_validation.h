// The checks every new order passes before it reaches a route.
#pragma once

#include "execution_core/execution_core_error.h"
#include "execution_core/order_records.h"
#include "support/expected.h"

namespace qx::exec {

// Quantity must be positive (checked first), then the prices the order type needs: Limit its
// limit price, Stop its stop price, StopLimit both; Market none. Prices an order type does not
// need are not looked at.
Expected<void, ExecutionCoreError> validate_order_request(const OrderRequest& request) noexcept;

}  // namespace qx::exec
