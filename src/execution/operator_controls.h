// Operator controls that refuse new orders before the risk checks run. They start off and
// empty; no exported function changes them, they exist for hosts that embed the engine.
#pragma once

#include <unordered_set>

#include "execution/route_config.h"

namespace qx::exec {

struct OperatorControls {
    bool submissions_halted = false;
    std::unordered_set<RouteKey, RouteKeyHash> halted_routes;
    std::unordered_set<RouteKey, RouteKeyHash> suspended_routes;

    // True when a new order on the route must be refused.
    bool blocks(const RouteKey& route) const {
        return submissions_halted || (!halted_routes.empty() && halted_routes.contains(route)) ||
               (!suspended_routes.empty() && suspended_routes.contains(route));
    }
};

}  // namespace qx::exec
