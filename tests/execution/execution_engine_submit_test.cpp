// Submitting orders: lifecycle, validation, route lookup, the simulated fill, risk rejections
// and operator controls.
#include <gtest/gtest.h>

#include <variant>

#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;
using Kind = ExecutionError::Kind;

TEST(ExecutionEngineSubmit, BeforeStartEveryCommandIsRefusedAndNothingIsJournaled) {
    SimEngine e({route()}, /*start=*/false);
    EXPECT_EQ(e.submit(limit_order("o-1")).error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(e.amend(amend_of("o-1", "o-2")).error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(e.cancel(cancel_of("o-1")).error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(e.poll().error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(e.journal->size(), 0u);
    EXPECT_EQ(e.engine->ledger().size(), 0u);
    EXPECT_EQ(e.engine->metrics(), ExecutionMetrics{});
    EXPECT_FALSE(e.engine->health().connected);

    ASSERT_TRUE(e.engine->start());
    ASSERT_TRUE(e.engine->start());  // start may be repeated; each counts a connect
    EXPECT_EQ(e.engine->health().connect_count, 2u);
    EXPECT_TRUE(e.submit(limit_order("o-1")));
}

TEST(ExecutionEngineSubmit, ValidationComesBeforeTheRouteLookup) {
    SimEngine e({route()});
    OrderRequest unknown_route = limit_order("o-1", 0);
    unknown_route.route = RouteId::literal("nowhere");
    const auto zero_qty = e.submit(unknown_route);
    EXPECT_EQ(zero_qty.error(),
              ExecutionError::core_error(ExecutionCoreError::quantity_not_positive()));
    EXPECT_EQ(zero_qty.error().message(), "execution core error: quantity must be positive");

    unknown_route.quantity = 1;
    unknown_route.limit_price = 0;
    EXPECT_EQ(e.submit(unknown_route).error(),
              ExecutionError::core_error(ExecutionCoreError::price_not_positive()));
    unknown_route.limit_price = 1;
    EXPECT_EQ(e.submit(unknown_route).error().kind, Kind::RouteNotFound);
    EXPECT_TRUE(e.out.empty());
    EXPECT_EQ(e.journal->size(), 0u);
}

TEST(ExecutionEngineSubmit, RouteIndexLastDuplicateWinsAndDisabledRoutesAreInvisible) {
    RouteConfig killed = route();
    killed.kill_switch = true;
    RouteConfig open = route();
    RouteConfig disabled = route("r2");
    disabled.enabled = false;
    RouteConfig other_symbol = route();
    other_symbol.symbol.symbol = SymbolCode::literal("NQZ6");

    SimEngine later_open({killed, open, disabled});
    EXPECT_TRUE(later_open.submit(limit_order("o-1")));
    EXPECT_EQ(later_open.submit(limit_order("o-2", 10, 100, "r2")).error().kind,
              Kind::RouteNotFound);
    EXPECT_EQ(later_open.engine->risk_context(disabled, ClientOrderId{}).open_orders, 0u);

    SimEngine later_killed({open, killed});
    EXPECT_EQ(later_killed.submit(limit_order("o-1")).error(),
              ExecutionError::risk_rejected(RiskRejectReason::KillSwitch));

    // A disabled duplicate hides the enabled route before it.
    RouteConfig disabled_r1 = route();
    disabled_r1.enabled = false;
    SimEngine hidden({open, disabled_r1});
    EXPECT_EQ(hidden.submit(limit_order("o-1")).error().kind, Kind::RouteNotFound);

    // The key includes the symbol: a route for another symbol does not serve this one.
    SimEngine wrong_symbol({other_symbol});
    EXPECT_EQ(wrong_symbol.submit(limit_order("o-1")).error().kind, Kind::RouteNotFound);
}

TEST(ExecutionEngineSubmit, SimulatedFillDeliversExactlyTwoEvents) {
    SimEngine e({route()});
    const OrderRequest order = limit_order("o-1", 10, 4500);
    ASSERT_TRUE(e.submit(order));
    ASSERT_EQ(e.out.size(), 2u);

    ExecutionEvent ack;
    ack.kind = ExecutionType::New;
    ack.status = OrderStatus::New;
    ack.client_order_id = order.client_order_id;
    ack.venue_order_id = VenueOrderId::literal("SIM-1");
    ack.account = order.account;
    ack.route = order.route;
    ack.symbol = order.symbol;
    ack.leaves_qty = 10;
    ack.origin_ts_ns = 7;
    ack.ts_ns = 1000;
    EXPECT_EQ(e.out[0], ack);

    ExecutionEvent fill = ack;
    fill.kind = ExecutionType::Trade;
    fill.status = OrderStatus::Filled;
    fill.execution_id = ExecutionId::literal("SIMX-1");
    fill.last_qty = 10;
    fill.last_price = 4500;
    fill.cum_qty = 10;
    fill.leaves_qty = 0;
    fill.avg_price = 4500;
    fill.ts_ns = 1001;
    EXPECT_EQ(e.out[1], fill);

    // The journal holds the command, then both events.
    ASSERT_EQ(e.journal->size(), 3u);
    EXPECT_EQ(std::get<JournalCommand>((*e.journal)[0]),
              (JournalCommand{JournalCommandKind::Submit, order.client_order_id, 1000}));
    EXPECT_EQ(std::get<ExecutionEvent>((*e.journal)[1]), ack);
    EXPECT_EQ(std::get<ExecutionEvent>((*e.journal)[2]), fill);

    const OrderState* s = e.state("o-1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->status, OrderStatus::Filled);
    EXPECT_EQ(s->venue_order_id.text(), "SIM-1");
    EXPECT_EQ(s->filled_qty, 10);
    EXPECT_EQ(s->leaves_qty, 0);
    EXPECT_EQ(s->avg_price, 4500);
    EXPECT_EQ(s->updated_ts_ns, 1001u);
    EXPECT_EQ(e.engine->ledger().tag(order.client_order_id), OrderTag::literal("tag-1"));
    EXPECT_EQ(e.engine->ledger().price(order.client_order_id), 4500);

    ExecutionMetrics want;
    want.orders_submitted = 1;
    want.events_applied = 2;
    EXPECT_EQ(e.engine->metrics(), want);

    // Numbers run on per engine.
    ASSERT_TRUE(e.submit(limit_order("o-2")));
    EXPECT_EQ(e.out[0].venue_order_id.text(), "SIM-2");
    EXPECT_EQ(e.out[1].execution_id.text(), "SIMX-2");
}

TEST(ExecutionEngineSubmit, OrderPriceIsTheLimitElseTheStop) {
    SimEngine e({route()});
    OrderRequest stop = limit_order("s-1", 4, 0);
    stop.order_type = OrderType::Stop;
    stop.stop_price = 90;
    ASSERT_TRUE(e.submit(stop));
    EXPECT_EQ(e.engine->ledger().price(stop.client_order_id), 90);
    EXPECT_EQ(e.out[1].last_price, 0) << "the simulated venue fills at the limit price";
    EXPECT_EQ(e.state("s-1")->status, OrderStatus::Filled);
}

TEST(ExecutionEngineSubmit, KillSwitchRejectsWithOneEventAndRecordsNothing) {
    RouteConfig killed = route();
    killed.kill_switch = true;
    SimEngine e({killed, route("r2")});
    const OrderRequest order = limit_order("o-1", 10, 100);
    EXPECT_EQ(e.submit(order).error(), ExecutionError::risk_rejected(RiskRejectReason::KillSwitch));
    EXPECT_EQ(ExecutionError::risk_rejected(RiskRejectReason::KillSwitch).message(),
              "risk rejected order: KillSwitch");
    ASSERT_EQ(e.out.size(), 1u);

    ExecutionEvent want;
    want.kind = ExecutionType::Rejected;
    want.status = OrderStatus::Rejected;
    want.client_order_id = order.client_order_id;
    want.account = order.account;
    want.route = order.route;
    want.symbol = order.symbol;
    want.leaves_qty = 10;
    want.origin_ts_ns = 7;
    want.ts_ns = 1000;
    want.reject_reason = RiskRejectReason::KillSwitch;
    want.text = EventText::literal("kill switch active");
    EXPECT_EQ(e.out[0], want);
    ASSERT_EQ(e.journal->size(), 1u);
    EXPECT_EQ(std::get<ExecutionEvent>((*e.journal)[0]), want);
    EXPECT_EQ(e.engine->metrics().risk_rejects, 1u);
    EXPECT_EQ(e.engine->metrics().orders_submitted, 0u);
    EXPECT_EQ(e.engine->metrics().events_applied, 0u);
    EXPECT_EQ(e.state("o-1"), nullptr);

    // The identifier stays usable.
    EXPECT_TRUE(e.submit(limit_order("o-1", 10, 100, "r2")));
}

TEST(ExecutionEngineSubmit, IdentifiersAreNeverReused) {
    SimEngine e({route()});
    ASSERT_TRUE(e.submit(limit_order("o-1")));
    ASSERT_EQ(e.state("o-1")->status, OrderStatus::Filled);
    EXPECT_EQ(e.submit(limit_order("o-1")).error(),
              ExecutionError::risk_rejected(RiskRejectReason::DuplicateClientOrderId));
    ASSERT_EQ(e.out.size(), 1u);
    EXPECT_EQ(e.out[0].text.text(), "duplicate client order id");
    EXPECT_EQ(e.state("o-1")->status, OrderStatus::Filled) << "the held order is untouched";
}

TEST(ExecutionEngineSubmit, OpenOrderLimitCountsOnlyOpenOrdersOfTheSameRoute) {
    RouteConfig limited = route();
    limited.max_open_orders = 1;
    RouteConfig other_account = route("r1", "acct-2");
    RouteConfig unlimited = route("r3");
    SimEngine e({limited, other_account, unlimited});

    // Filled orders are not open.
    ASSERT_TRUE(e.submit(limit_order("f-1")));
    ASSERT_TRUE(e.submit(limit_order("f-2")));

    // A partial fill leaves the order open (PartiallyFilled).
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("p-1", 10, 100)));
    ASSERT_EQ(e.state("p-1")->status, OrderStatus::PartiallyFilled);
    EXPECT_EQ(e.submit(limit_order("p-2")).error(),
              ExecutionError::risk_rejected(RiskRejectReason::MaxOpenOrders));
    EXPECT_EQ(e.out[0].text.text(), "max open orders exceeded");

    // Other accounts and routes have their own counts; 0 never limits.
    EXPECT_TRUE(e.submit(limit_order("p-3", 10, 100, "r1", "acct-2")));
    EXPECT_TRUE(e.submit(limit_order("p-4", 10, 100, "r3")));
    EXPECT_TRUE(e.submit(limit_order("p-5", 10, 100, "r3")));

    // Once the open order is terminal the route has room again.
    ASSERT_TRUE(e.cancel(cancel_of("p-1")));
    ASSERT_EQ(e.state("p-1")->status, OrderStatus::Canceled);
    EXPECT_TRUE(e.submit(limit_order("p-6")));
}

TEST(ExecutionEngineSubmit, OpenNotionalLimitUsesLeavesAtTheOrderPrice) {
    RouteConfig r = route();
    r.max_open_notional = 1000;
    SimEngine e({r});
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("p-1", 10, 100)));  // 5 lots left open at 100
    EXPECT_EQ(e.engine->risk_context(r, ClientOrderId{}).open_notional, 500);
    ASSERT_TRUE(e.submit(limit_order("p-2", 5, 100)));  // 500 + 500 reaches the limit
    EXPECT_EQ(e.engine->risk_context(r, ClientOrderId{}).open_notional, 800);  // 3 left of p-2
    EXPECT_EQ(e.submit(limit_order("p-3", 3, 67)).error(),
              ExecutionError::risk_rejected(RiskRejectReason::MaxOpenNotional));
    EXPECT_TRUE(e.submit(limit_order("p-4", 2, 100)));
}

TEST(ExecutionEngineSubmit, OrderNotionalLimitBoundary) {
    RouteConfig r = route();
    r.max_order_notional = 1000;
    SimEngine e({r});
    EXPECT_EQ(e.submit(limit_order("o-1", 10, 101)).error(),
              ExecutionError::risk_rejected(RiskRejectReason::MaxOrderNotional));
    EXPECT_TRUE(e.submit(limit_order("o-2", 10, 100)));
}

TEST(ExecutionEngineSubmit, OperatorControlsRefuseBeforeTheRiskChecks) {
    const RouteConfig r = route();
    const RouteConfig r2 = route("r2");
    const auto halted = [](OperatorControls& c, const RouteKey&) { c.submissions_halted = true; };
    const auto route_halted = [](OperatorControls& c, const RouteKey& k) {
        c.halted_routes.insert(k);
    };
    const auto route_suspended = [](OperatorControls& c, const RouteKey& k) {
        c.suspended_routes.insert(k);
    };
    for (const auto& set : {+halted, +route_halted, +route_suspended}) {
        SimEngine e({r, r2});
        set(e.engine->operator_controls(), route_key(r));
        EXPECT_EQ(e.submit(limit_order("o-1")).error(),
                  ExecutionError::risk_rejected(RiskRejectReason::KillSwitch));
        ASSERT_EQ(e.out.size(), 1u);
        EXPECT_EQ(e.out[0].text.text(), "operator submission control active");
        EXPECT_EQ(e.out[0].reject_reason, RiskRejectReason::KillSwitch);
        EXPECT_EQ(e.engine->metrics().risk_rejects, 1u);
        EXPECT_EQ(e.journal->size(), 1u);
        // A route control leaves other routes alone.
        const bool route_only = !e.engine->operator_controls().submissions_halted;
        EXPECT_EQ(e.submit(limit_order("o-2", 10, 100, "r2")).has_value(), route_only);
    }
}

TEST(ExecutionEngineSubmit, ARejectionThatDoesNotFitIsBufferFullButJournaled) {
    RouteConfig killed = route();
    killed.kill_switch = true;
    SimEngine e({killed});
    ExecutionEventBuffer tiny(0);
    EXPECT_EQ(e.engine->submit(limit_order("o-1"), tiny).error().kind, Kind::EventBufferFull);
    EXPECT_EQ(e.journal->size(), 1u);
    EXPECT_EQ(e.engine->metrics().risk_rejects, 1u);
}

TEST(ExecutionEngineSubmit, AFullCallerBufferKeepsTheOrderAppliedAndJournaled) {
    SimEngine e({route()});
    ExecutionEventBuffer one(1);
    EXPECT_EQ(e.engine->submit(limit_order("o-1"), one).error().kind, Kind::EventBufferFull);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].kind, ExecutionType::New);
    // The Trade that did not fit was still applied and journaled before the push failed.
    EXPECT_EQ(e.state("o-1")->status, OrderStatus::Filled);
    EXPECT_EQ(e.journal->size(), 3u);
    EXPECT_EQ(e.engine->metrics().events_applied, 2u);
    EXPECT_EQ(e.engine->metrics().orders_submitted, 1u);
}

}  // namespace
}  // namespace qx::exec
