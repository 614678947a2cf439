// A risk gate adds checks of its own after the route checks have accepted a new order or an
// amend. The library uses AllowAllRiskGate, which adds none.
#pragma once

#include "execution/risk_checks.h"
#include "execution/route_config.h"
#include "execution_core/order_records.h"

namespace qx::exec {

class RiskGate {
  public:
    virtual ~RiskGate() = default;
    virtual RiskDecision check_new(const OrderRequest& order, const RouteConfig& route,
                                   const RiskContext& context) = 0;
    virtual RiskDecision check_amend(const AmendRequest& request, const RouteConfig& route,
                                     const RiskContext& context) = 0;
};

class AllowAllRiskGate final : public RiskGate {
  public:
    RiskDecision check_new(const OrderRequest&, const RouteConfig&, const RiskContext&) override {
        return RiskDecision::accept();
    }
    RiskDecision check_amend(const AmendRequest&, const RouteConfig&, const RiskContext&) override {
        return RiskDecision::accept();
    }
};

}  // namespace qx::exec
