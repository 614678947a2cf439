// Order validation, the event key rule and the state of a new order.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "execution_core/order_records.h"
#include "execution_core/order_validation.h"

namespace qx::exec {
namespace {

TEST(ValidateOrderRequest, QuantityFirstThenThePricesTheTypeNeeds) {
    using Kind = ExecutionCoreError::Kind;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        OrderType type;
        std::int64_t quantity, limit, stop;
        bool ok;
        Kind error;
    };
    const Case cases[] = {
        {OrderType::Market, 1, -5, kMin, true, {}},  // prices a type does not need are ignored
        {OrderType::Market, 0, 100, 100, false, Kind::QuantityNotPositive},
        {OrderType::Limit, 0, 0, 0, false, Kind::QuantityNotPositive},  // before any price
        {OrderType::Limit, -3, 100, 0, false, Kind::QuantityNotPositive},
        {OrderType::Limit, 1, 1, -1, true, {}},
        {OrderType::Limit, 1, 0, 100, false, Kind::PriceNotPositive},
        {OrderType::Stop, 1, -1, 1, true, {}},
        {OrderType::Stop, 1, 100, 0, false, Kind::PriceNotPositive},
        {OrderType::StopLimit, 1, 1, 1, true, {}},
        {OrderType::StopLimit, 1, 100, 0, false, Kind::PriceNotPositive},
        {OrderType::StopLimit, 1, 0, 100, false, Kind::PriceNotPositive},
    };
    for (const Case& c : cases) {
        OrderRequest r;
        r.order_type = c.type;
        r.quantity = c.quantity;
        r.limit_price = c.limit;
        r.stop_price = c.stop;
        const auto result = validate_order_request(r);
        EXPECT_EQ(result.has_value(), c.ok)
            << "type " << int(to_code(c.type)) << " qty " << c.quantity << " limit " << c.limit
            << " stop " << c.stop;
        if (!c.ok && !result) {
            EXPECT_EQ(result.error().kind, c.error);
        }
    }
    OrderRequest stop_limit;
    stop_limit.order_type = OrderType::StopLimit;
    stop_limit.quantity = 5;
    stop_limit.limit_price = 10;
    EXPECT_EQ(validate_order_request(stop_limit).error().message(), "price must be positive");
    stop_limit.quantity = 0;
    EXPECT_EQ(validate_order_request(stop_limit).error().message(), "quantity must be positive");
}

TEST(OrderKey, OrigIdOnlyForCancelAndReplaceAnswers) {
    ExecutionEvent e;
    e.client_order_id = ClientOrderId::literal("new-id");
    e.orig_client_order_id = ClientOrderId::literal("old-id");
    for (int kind = 0; kind <= 14; ++kind) {
        e.kind = static_cast<ExecutionType>(kind);
        const bool uses_orig = kind >= 4 && kind <= 9;
        EXPECT_EQ(order_key(e).text(), uses_orig ? "old-id" : "new-id") << "kind " << kind;
    }
    e.orig_client_order_id = ClientOrderId{};
    e.kind = ExecutionType::Replaced;
    EXPECT_EQ(order_key(e).text(), "new-id") << "an empty orig id falls back";
}

TEST(NewOrderState, PendingNewWithTheWholeQuantityOpen) {
    OrderRequest r;
    r.client_order_id = ClientOrderId::literal("o-1");
    r.account = AccountId::literal("acct");
    r.route = RouteId::literal("r");
    r.tag = OrderTag::literal("t");
    r.symbol = {VenueCode::literal("CME"), SymbolCode::literal("ES")};
    r.side = OrderSide::Sell;
    r.order_type = OrderType::Limit;
    r.quantity = 7;
    r.limit_price = 100;
    r.ts_ns = 42;
    const OrderState s = new_order_state(r);
    EXPECT_EQ(s.client_order_id, r.client_order_id);
    EXPECT_EQ(s.current_client_order_id, r.client_order_id);
    EXPECT_TRUE(s.venue_order_id.empty());
    EXPECT_EQ(s.account, r.account);
    EXPECT_EQ(s.route, r.route);
    EXPECT_EQ(s.symbol, r.symbol);
    EXPECT_EQ(s.side, OrderSide::Sell);
    EXPECT_EQ(s.status, OrderStatus::PendingNew);
    EXPECT_EQ(s.quantity, 7);
    EXPECT_EQ(s.leaves_qty, 7);
    EXPECT_EQ(s.filled_qty, 0);
    EXPECT_EQ(s.avg_price, 0);
    EXPECT_EQ(s.updated_ts_ns, 42u);
}

}  // namespace
}  // namespace qx::exec
