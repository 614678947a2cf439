// Each route check at its boundary, and the order in which the checks decide.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "execution/risk_checks.h"
#include "execution_test_support.h"

namespace qx::exec {
namespace {

using testing::route;

RiskRejectReason common(bool kill, std::uint32_t max_open, const RiskContext& c) {
    const RiskDecision d = check_route_common(kill, max_open, c);
    return d.accepted ? RiskRejectReason::None : d.reason;
}

RiskRejectReason size_price(const RouteConfig& r, std::int64_t qty, std::int64_t price,
                            const RiskContext& c = {}) {
    const RiskDecision d = check_route_size_price(r, qty, price, c);
    return d.accepted ? RiskRejectReason::None : d.reason;
}

TEST(RiskChecks, CommonChecksDecideInOrder) {
    RiskContext all_bad;
    all_bad.account_enabled = all_bad.route_enabled = all_bad.symbol_enabled = false;
    all_bad.duplicate_client_order_id = true;
    all_bad.order_type_supported = all_bad.time_in_force_supported = false;
    all_bad.open_orders = 5;

    // Clearing the failing conditions one by one reveals the next in line.
    RiskContext c = all_bad;
    EXPECT_EQ(common(true, 1, c), RiskRejectReason::KillSwitch);
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::AccountDisabled);
    c.account_enabled = true;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::RouteDisabled);
    c.route_enabled = true;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::SymbolDisabled);
    c.symbol_enabled = true;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::DuplicateClientOrderId);
    c.duplicate_client_order_id = false;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::UnsupportedOrderType);
    c.order_type_supported = true;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::UnsupportedTimeInForce);
    c.time_in_force_supported = true;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::MaxOpenOrders);
    c.open_orders = 0;
    EXPECT_EQ(common(false, 1, c), RiskRejectReason::None);
}

TEST(RiskChecks, OpenOrderLimitBoundaries) {
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    struct Case {
        std::uint32_t limit, open;
        bool refused;
    };
    const Case cases[] = {
        {0, 0, false}, {0, kMax, false},  // 0 never limits
        {1, 0, false}, {1, 1, true},      // refused once open >= limit
        {3, 2, false}, {3, 3, true},     {3, 4, true}, {kMax, kMax - 1, false}, {kMax, kMax, true},
    };
    for (const Case& t : cases) {
        RiskContext c;
        c.open_orders = t.open;
        EXPECT_EQ(common(false, t.limit, c) == RiskRejectReason::MaxOpenOrders, t.refused)
            << "limit " << t.limit << " open " << t.open;
    }
}

TEST(RiskChecks, SizeAndPriceBoundaries) {
    RouteConfig r = route();
    r.max_order_qty = 10;
    EXPECT_EQ(size_price(r, 10, 1), RiskRejectReason::None);
    EXPECT_EQ(size_price(r, 11, 1), RiskRejectReason::MaxOrderQty);
    r.max_order_qty = 0;
    EXPECT_EQ(size_price(r, std::numeric_limits<std::int64_t>::max(), 1), RiskRejectReason::None);
    r.max_order_qty = -1;
    EXPECT_EQ(size_price(r, 1'000'000, 1), RiskRejectReason::None);

    r = route();
    r.max_order_notional = 1000;
    EXPECT_EQ(size_price(r, 10, 100), RiskRejectReason::None);
    EXPECT_EQ(size_price(r, 10, 101), RiskRejectReason::MaxOrderNotional);
    // The notional is exact in 128 bits: no 64-bit overflow lets a huge order through.
    EXPECT_EQ(size_price(r, std::numeric_limits<std::int64_t>::max(), 3),
              RiskRejectReason::MaxOrderNotional);
    r.max_order_notional = 0;
    EXPECT_EQ(size_price(r, 10, 101), RiskRejectReason::None);

    r = route();
    r.max_open_notional = 1000;
    RiskContext c;
    c.open_notional = 500;
    EXPECT_EQ(size_price(r, 5, 100, c), RiskRejectReason::None);  // 500 + 500 = limit
    EXPECT_EQ(size_price(r, 5, 101, c), RiskRejectReason::MaxOpenNotional);
    // The sum saturates instead of wrapping to a small value.
    c.open_notional = kInt128Max;
    EXPECT_EQ(size_price(r, 1, 1, c), RiskRejectReason::MaxOpenNotional);
    c.open_notional = -2000;  // a negative open notional (negative prices) leaves room
    EXPECT_EQ(size_price(r, 10, 290, c), RiskRejectReason::None);

    // The first failing check wins: quantity before order notional before open notional.
    RouteConfig all = route();
    all.max_order_qty = 1;
    all.max_order_notional = 1;
    all.max_open_notional = 1;
    EXPECT_EQ(size_price(all, 2, 2), RiskRejectReason::MaxOrderQty);
    EXPECT_EQ(size_price(all, 1, 2), RiskRejectReason::MaxOrderNotional);
    c.open_notional = 1;
    EXPECT_EQ(size_price(all, 1, 1, c), RiskRejectReason::MaxOpenNotional);
}

TEST(RiskChecks, PriceBandNeedsAPositiveReferenceBandAndPrice) {
    RouteConfig r = route();
    r.price_band = 5;
    RiskContext c;
    c.reference_price = 100;
    EXPECT_EQ(size_price(r, 1, 105, c), RiskRejectReason::None);
    EXPECT_EQ(size_price(r, 1, 95, c), RiskRejectReason::None);
    EXPECT_EQ(size_price(r, 1, 106, c), RiskRejectReason::PriceBand);
    EXPECT_EQ(size_price(r, 1, 94, c), RiskRejectReason::PriceBand);
    EXPECT_EQ(size_price(r, 1, 0, c), RiskRejectReason::None);       // no price: no check
    EXPECT_EQ(size_price(r, 1, 1'000, {}), RiskRejectReason::None);  // reference 0, as engines use
    r.price_band = 0;
    EXPECT_EQ(size_price(r, 1, 1'000, c), RiskRejectReason::None);
}

TEST(RiskChecks, RejectionMessagesAndTheNewOrderCheck) {
    struct Case {
        RiskRejectReason reason;
        const char* text;
    };
    const Case cases[] = {
        {RiskRejectReason::KillSwitch, "kill switch active"},
        {RiskRejectReason::AccountDisabled, "account disabled"},
        {RiskRejectReason::RouteDisabled, "route disabled"},
        {RiskRejectReason::SymbolDisabled, "symbol disabled"},
        {RiskRejectReason::MaxOrderQty, "max order quantity exceeded"},
        {RiskRejectReason::MaxOrderNotional, "max order notional exceeded"},
        {RiskRejectReason::MaxOpenOrders, "max open orders exceeded"},
        {RiskRejectReason::MaxOpenNotional, "max open notional exceeded"},
        {RiskRejectReason::PriceBand, "price outside risk band"},
        {RiskRejectReason::DuplicateClientOrderId, "duplicate client order id"},
        {RiskRejectReason::UnsupportedOrderType, "unsupported order type"},
        {RiskRejectReason::UnsupportedTimeInForce, "unsupported time in force"},
    };
    for (const Case& c : cases) {
        const RiskDecision d = route_reject(c.reason);
        EXPECT_FALSE(d.accepted);
        EXPECT_EQ(d.reason, c.reason);
        EXPECT_EQ(d.message.text(), c.text);
    }

    // A new order is sized with its limit price whatever its type: a Market order with limit 0
    // has notional 0.
    RouteConfig r = route();
    r.max_order_notional = 1;
    OrderRequest market = testing::limit_order("m-1", 1000, 0);
    market.order_type = OrderType::Market;
    EXPECT_TRUE(check_route_new(market, r, {}).accepted);
    market.limit_price = 2;
    EXPECT_EQ(check_route_new(market, r, {}).reason, RiskRejectReason::MaxOrderNotional);
    r.kill_switch = true;
    EXPECT_EQ(check_route_new(market, r, {}).reason, RiskRejectReason::KillSwitch);
}

}  // namespace
}  // namespace qx::exec
