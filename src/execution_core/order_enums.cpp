#include "execution_core/order_enums.h"

#include <array>

namespace qx::exec {

std::string_view risk_reject_reason_name(RiskRejectReason reason) noexcept {
    static constexpr std::array<std::string_view, 13> kNames = {
        "None",
        "KillSwitch",
        "AccountDisabled",
        "RouteDisabled",
        "SymbolDisabled",
        "MaxOrderQty",
        "MaxOrderNotional",
        "MaxOpenOrders",
        "MaxOpenNotional",
        "PriceBand",
        "DuplicateClientOrderId",
        "UnsupportedOrderType",
        "UnsupportedTimeInForce",
    };
    const std::uint8_t code = to_code(reason);
    return code < kNames.size() ? kNames[code] : std::string_view("Unknown");
}

}  // namespace qx::exec
