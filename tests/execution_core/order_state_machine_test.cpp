// The order state machine: one table of (status, kind, event) -> outcome, then the fields each
// kind changes and the no-partial-change rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "execution_core/order_state_machine.h"

namespace qx::exec {
namespace {

constexpr std::uint64_t kStartTs = 5;
constexpr std::uint64_t kEventTs = 99;

OrderState order_in(std::uint8_t status) {
    OrderState s;
    s.client_order_id = ClientOrderId::literal("o-1");
    s.current_client_order_id = s.client_order_id;
    s.account = AccountId::literal("acct");
    s.route = RouteId::literal("route");
    s.symbol = {VenueCode::literal("CME"), SymbolCode::literal("ES")};
    s.side = OrderSide::Buy;
    s.status = static_cast<OrderStatus>(status);
    s.quantity = 10;
    s.leaves_qty = 10;
    s.updated_ts_ns = kStartTs;
    return s;
}

ExecutionEvent event_of(std::uint8_t kind, std::uint8_t status = 0, std::int64_t cum = 0,
                        std::int64_t leaves = 0) {
    ExecutionEvent e;
    e.kind = static_cast<ExecutionType>(kind);
    e.status = static_cast<OrderStatus>(status);
    e.client_order_id = ClientOrderId::literal("o-1");
    e.cum_qty = cum;
    e.leaves_qty = leaves;
    e.ts_ns = kEventTs;
    return e;
}

constexpr int kFail = -1;  // expected status column: apply must fail

TEST(OrderStateMachine, TransitionTable) {
    struct Row {
        std::uint8_t status, kind, event_status;
        std::int64_t cum, leaves;
        int expected;
    };
    // Status codes: 1 PendingNew, 2 New, 3 PartiallyFilled, 4 Filled, 5 PendingCancel,
    // 6 Canceled, 7 PendingReplace, 8 Replaced, 9 Rejected, 10 Expired, 11 Restated, 12 Unknown.
    const Row rows[] = {
        // 1 New: only from PendingNew.
        {1, 1, 0, 0, 10, 2},
        {2, 1, 0, 0, 10, kFail},
        {3, 1, 0, 0, 10, kFail},
        {11, 1, 0, 0, 10, kFail},
        // 2 Rejected: from any open status.
        {1, 2, 0, 0, 10, 9},
        {3, 2, 0, 4, 0, 9},
        {7, 2, 0, 0, 10, 9},
        // 3 Trade: cum_qty must not exceed the quantity; leaves exactly 0 means Filled.
        {2, 3, 0, 10, 0, 4},
        {2, 3, 0, 4, 6, 3},
        {2, 3, 0, 4, -1, 3},
        {2, 3, 0, 11, 0, kFail},
        {1, 3, 0, 10, 0, 4},
        {5, 3, 0, 3, 7, 3},
        // 4 PendingCancel: not from PendingNew, PendingCancel or PendingReplace.
        {1, 4, 0, 0, 0, kFail},
        {5, 4, 0, 0, 0, kFail},
        {7, 4, 0, 0, 0, kFail},
        {2, 4, 0, 0, 0, 5},
        {3, 4, 0, 0, 0, 5},
        {8, 4, 0, 0, 0, 5},
        {12, 4, 0, 0, 0, 5},
        {200, 4, 0, 0, 0, 5},  // an unknown code counts as open
        // 5 Canceled: from any open status.
        {1, 5, 0, 0, 0, 6},
        {5, 5, 0, 0, 0, 6},
        // 6 CancelRejected and 9 ReplaceRejected: the event's status, unchecked.
        {5, 6, 3, 0, 0, 3},
        {5, 6, 4, 0, 0, 4},
        {5, 6, 200, 0, 0, 200},
        {5, 6, 0, 0, 0, 0},
        {7, 9, 2, 0, 0, 2},
        {7, 9, 77, 0, 0, 77},
        // 7 PendingReplace: not from PendingNew, PendingCancel or PendingReplace.
        {1, 7, 0, 0, 0, kFail},
        {5, 7, 0, 0, 0, kFail},
        {7, 7, 0, 0, 0, kFail},
        {2, 7, 0, 0, 0, 7},
        {3, 7, 0, 0, 0, 7},
        // 8 Replaced: only from PendingReplace.
        {7, 8, 0, 2, 5, 8},
        {2, 8, 0, 2, 5, kFail},
        {3, 8, 0, 2, 5, kFail},
        {5, 8, 0, 2, 5, kFail},
        // 10 Expired: from any open status.
        {2, 10, 0, 0, 0, 10},
        {1, 10, 0, 0, 0, 10},
        // 11 Restatement, 12 StatusReport, 13 Informational: status only when 11 or 12.
        {2, 11, 11, 0, 0, 11},
        {2, 11, 12, 0, 0, 12},
        {2, 11, 3, 0, 0, 2},
        {3, 12, 12, 0, 0, 12},
        {3, 12, 4, 0, 0, 3},
        {3, 13, 11, 0, 0, 11},
        {3, 13, 9, 0, 0, 3},
        // Kinds outside 1 to 13 are refused.
        {2, 0, 0, 0, 0, kFail},
        {2, 14, 0, 0, 0, kFail},
        // Terminal orders accept only Restatement, which may reopen them as 11 or 12.
        {4, 11, 11, 0, 0, 11},
        {4, 11, 3, 0, 0, 4},
        {6, 11, 12, 0, 0, 12},
        {9, 11, 2, 0, 0, 9},
        {10, 11, 11, 0, 0, 11},
        {4, 12, 12, 0, 0, kFail},
        {9, 13, 11, 0, 0, kFail},
        {6, 6, 3, 0, 0, kFail},
    };
    for (const Row& r : rows) {
        OrderStateMachine m(order_in(r.status));
        const auto result = m.apply(event_of(r.kind, r.event_status, r.cum, r.leaves));
        SCOPED_TRACE(testing::Message() << "status " << int(r.status) << " kind " << int(r.kind)
                                        << " event status " << int(r.event_status));
        if (r.expected == kFail) {
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error(), ExecutionCoreError::invalid_transition());
            EXPECT_EQ(result.error().message(), "invalid order state transition");
            EXPECT_EQ(m.state(), order_in(r.status));
        } else {
            ASSERT_TRUE(result);
            EXPECT_EQ(to_code(m.state().status), r.expected);
            EXPECT_EQ(m.state().updated_ts_ns, kEventTs);
        }
    }
}

TEST(OrderStateMachine, TerminalOrdersRefuseEveryKindButRestatement) {
    for (std::uint8_t status : {4, 6, 9, 10}) {
        for (int kind = 0; kind <= 14; ++kind) {
            if (kind == 11) {
                continue;
            }
            OrderStateMachine m(order_in(status));
            EXPECT_FALSE(m.apply(event_of(static_cast<std::uint8_t>(kind), 11, 1, 0)))
                << "status " << int(status) << " kind " << kind;
            EXPECT_EQ(m.state(), order_in(status));
        }
    }
}

TEST(OrderStateMachine, FailuresChangeNothingAnywhere) {
    // Whatever the status, kind and event figures, a refused event leaves every field as it was.
    for (int status = 0; status <= 13; ++status) {
        for (int kind = 0; kind <= 14; ++kind) {
            for (std::int64_t cum : {0, 10, 11}) {
                const OrderState before = order_in(static_cast<std::uint8_t>(status));
                OrderStateMachine m(before);
                ExecutionEvent e = event_of(static_cast<std::uint8_t>(kind), 12, cum, 3);
                e.venue_order_id = VenueOrderId::literal("V-9");
                e.client_order_id = ClientOrderId::literal("renamed");
                e.avg_price = 123;
                if (!m.apply(e)) {
                    EXPECT_EQ(m.state(), before) << "status " << status << " kind " << kind;
                }
            }
        }
    }
}

TEST(OrderStateMachine, FieldsEachKindChanges) {
    ExecutionEvent e = event_of(1, 2, 3, 9);
    e.venue_order_id = VenueOrderId::literal("SIM-1");
    e.avg_price = 55;
    e.account = AccountId::literal("other-account");  // never copied into the state
    e.route = RouteId::literal("other-route");
    e.symbol = {VenueCode::literal("X"), SymbolCode::literal("Y")};

    OrderStateMachine m(order_in(1));
    ASSERT_TRUE(m.apply(e));
    OrderState want = order_in(1);
    want.status = OrderStatus::New;
    want.venue_order_id = e.venue_order_id;
    want.leaves_qty = 9;  // New takes leaves only; cum and avg are ignored
    want.updated_ts_ns = kEventTs;
    EXPECT_EQ(m.state(), want);

    ExecutionEvent trade = event_of(3, 0, 4, 6);
    trade.avg_price = 101;
    trade.venue_order_id = VenueOrderId::literal("ignored");
    trade.ts_ns = 100;
    ASSERT_TRUE(m.apply(trade));
    want.status = OrderStatus::PartiallyFilled;
    want.filled_qty = 4;
    want.leaves_qty = 6;
    want.avg_price = 101;
    want.updated_ts_ns = 100;
    EXPECT_EQ(m.state(), want) << "a trade keeps the quantity and the venue order id";

    for (std::uint8_t kind : {2, 5, 10}) {  // Rejected, Canceled, Expired
        OrderStateMachine t(want);
        ExecutionEvent end = event_of(kind, 0, 7, -2);
        end.avg_price = 99;
        ASSERT_TRUE(t.apply(end));
        EXPECT_EQ(t.state().filled_qty, 7);
        EXPECT_EQ(t.state().leaves_qty, -2);
        EXPECT_EQ(t.state().avg_price, 99);
        EXPECT_EQ(t.state().quantity, 10);
        EXPECT_EQ(t.state().venue_order_id, want.venue_order_id);
    }
}

TEST(OrderStateMachine, ReplacedRewritesIdentifiersAndQuantity) {
    OrderStateMachine m(order_in(7));
    ExecutionEvent e = event_of(8, 8, 2, 5);
    e.client_order_id = ClientOrderId::literal("o-2");
    e.orig_client_order_id = ClientOrderId::literal("o-1");
    e.avg_price = 120;
    ASSERT_TRUE(m.apply(e));
    EXPECT_EQ(m.state().client_order_id.text(), "o-2");
    EXPECT_EQ(m.state().current_client_order_id.text(), "o-2");
    EXPECT_EQ(m.state().status, OrderStatus::Replaced);
    EXPECT_EQ(m.state().quantity, 7);
    EXPECT_EQ(m.state().filled_qty, 2);
    EXPECT_EQ(m.state().leaves_qty, 5);
    EXPECT_EQ(m.state().avg_price, 120);

    // The quantity is cum + leaves in wrapping 64-bit arithmetic.
    OrderStateMachine w(order_in(7));
    ASSERT_TRUE(w.apply(event_of(8, 8, std::numeric_limits<std::int64_t>::max(), 1)));
    EXPECT_EQ(w.state().quantity, std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace qx::exec
