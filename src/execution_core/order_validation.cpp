#include "execution_core/order_validation.h"

namespace qx::exec {

Expected<void, ExecutionCoreError> validate_order_request(const OrderRequest& request) noexcept {
    if (request.quantity <= 0) {
        return Unexpected(ExecutionCoreError::quantity_not_positive());
    }
    bool prices_ok = true;
    switch (request.order_type) {
        case OrderType::Limit:
            prices_ok = request.limit_price > 0;
            break;
        case OrderType::Stop:
            prices_ok = request.stop_price > 0;
            break;
        case OrderType::StopLimit:
            prices_ok = request.limit_price > 0 && request.stop_price > 0;
            break;
        case OrderType::Market:
            break;
    }
    if (!prices_ok) {
        return Unexpected(ExecutionCoreError::price_not_positive());
    }
    return {};
}

}  // namespace qx::exec
