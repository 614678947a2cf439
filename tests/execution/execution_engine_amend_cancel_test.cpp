// Amending and cancelling: the checks before the venue, the simulated venue's answers and what
// the state machine makes of them, and re-keying after a replace.
#include <gtest/gtest.h>

#include <variant>

#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;
using Kind = ExecutionError::Kind;

const ExecutionError kInvalidTransition =
    ExecutionError::core_error(ExecutionCoreError::invalid_transition());

TEST(ExecutionEngineAmend, RefusalsBeforeTheVenue) {
    RouteConfig r = route();
    r.max_order_qty = 20;
    RouteConfig killed = route("r-killed");
    killed.kill_switch = true;
    SimEngine e({r, killed});
    ASSERT_TRUE(e.submit(limit_order("o-1")));
    const std::size_t journaled = e.journal->size();

    // The quantity is checked first, even for an unknown order; the price never is.
    EXPECT_EQ(e.amend(amend_of("nope", "o-2", 0)).error(),
              ExecutionError::core_error(ExecutionCoreError::quantity_not_positive()));
    EXPECT_EQ(e.amend(amend_of("nope", "o-2")).error().kind, Kind::RouteNotFound);
    AmendRequest elsewhere = amend_of("o-1", "o-2");
    elsewhere.route = RouteId::literal("nowhere");
    EXPECT_EQ(e.amend(elsewhere).error().kind, Kind::RouteNotFound);

    // Risk refusals produce no event and no journal record, but are counted.
    EXPECT_EQ(e.amend(amend_of("o-1", "o-1")).error(),
              ExecutionError::risk_rejected(RiskRejectReason::DuplicateClientOrderId));
    EXPECT_EQ(e.amend(amend_of("o-1", "o-2", 21)).error(),
              ExecutionError::risk_rejected(RiskRejectReason::MaxOrderQty));
    AmendRequest on_killed = amend_of("o-1", "o-2");
    on_killed.route = killed.route;
    EXPECT_EQ(e.amend(on_killed).error(),
              ExecutionError::risk_rejected(RiskRejectReason::KillSwitch));
    EXPECT_TRUE(e.out.empty());
    EXPECT_EQ(e.journal->size(), journaled);
    EXPECT_EQ(e.engine->metrics().risk_rejects, 3u);
    EXPECT_EQ(e.engine->metrics().amends_sent, 0u);
}

TEST(ExecutionEngineAmend, SimulatedVenueAmendFailsUnlessPendingReplace) {
    SimEngine e({route()});
    ASSERT_TRUE(e.submit(limit_order("o-1")));
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("p-1")));
    for (const char* orig : {"o-1", "p-1"}) {  // Filled, then PartiallyFilled
        const OrderState before = *e.state(orig);
        const std::size_t journaled = e.journal->size();
        const auto r = e.amend(amend_of(orig, std::string(orig) + "-new"));
        EXPECT_EQ(r.error(), kInvalidTransition) << orig;
        EXPECT_EQ(r.error().message(), "execution core error: invalid order state transition");
        EXPECT_TRUE(e.out.empty());
        EXPECT_EQ(*e.state(orig), before);
        // The command was journaled and the amended price kept before the venue answered.
        ASSERT_EQ(e.journal->size(), journaled + 1);
        EXPECT_EQ(std::get<JournalCommand>((*e.journal)[journaled]).kind,
                  JournalCommandKind::Amend);
        EXPECT_EQ(e.engine->ledger().amended_price(id<40>(std::string(orig) + "-new")), 105);
    }
    EXPECT_EQ(e.engine->metrics().amends_sent, 2u);
}

TEST(ExecutionEngineAmend, ReplaceOfAPendingReplaceOrderReKeysIt) {
    SimEngine e({route()});
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("o-1", 10, 100)));  // 5 filled, 5 open
    ASSERT_TRUE(e.sim->enqueue_pending(venue_event(ExecutionType::PendingReplace, "o-1")));
    ASSERT_TRUE(e.poll());
    ASSERT_EQ(e.state("o-1")->status, OrderStatus::PendingReplace);

    ASSERT_TRUE(e.amend(amend_of("o-1", "o-2", 8, 105)));
    ASSERT_EQ(e.out.size(), 1u);
    const ExecutionEvent& replaced = e.out[0];
    EXPECT_EQ(replaced.kind, ExecutionType::Replaced);
    EXPECT_EQ(replaced.status, OrderStatus::Replaced);
    EXPECT_EQ(replaced.client_order_id.text(), "o-2");
    EXPECT_EQ(replaced.orig_client_order_id.text(), "o-1");
    EXPECT_EQ(replaced.venue_order_id.text(), "SIM-1");
    EXPECT_EQ(replaced.leaves_qty, 8);
    EXPECT_EQ(replaced.avg_price, 105);
    EXPECT_EQ(replaced.cum_qty, 0);
    EXPECT_EQ(replaced.origin_ts_ns, 0u);
    EXPECT_EQ(replaced.ts_ns, 2000u);

    EXPECT_EQ(e.state("o-1"), nullptr) << "found under the new identifier only";
    const OrderState* s = e.state("o-2");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->client_order_id.text(), "o-2");
    EXPECT_EQ(s->current_client_order_id.text(), "o-2");
    EXPECT_EQ(s->status, OrderStatus::Replaced);
    EXPECT_EQ(s->quantity, 8);
    EXPECT_EQ(s->filled_qty, 0);  // as the simulated venue reports it
    const OrderLedger& ledger = e.engine->ledger();
    EXPECT_EQ(ledger.price(id<40>("o-2")), 105);
    EXPECT_EQ(ledger.price(id<40>("o-1")), std::nullopt);
    EXPECT_EQ(ledger.amended_price(id<40>("o-2")), std::nullopt);
    EXPECT_EQ(ledger.tag(id<40>("o-2")), OrderTag::literal("tag-1"));
    EXPECT_EQ(ledger.tag(id<40>("o-1")), std::nullopt);
    EXPECT_EQ(e.engine->risk_context(route(), ClientOrderId{}).open_notional, 8 * 105);
    EXPECT_EQ(e.engine->metrics().amends_sent, 1u);
}

TEST(ExecutionEngineCancel, CancelsOpenOrdersAndRefusesTerminalOnes) {
    RouteConfig killed = route();
    killed.kill_switch = true;
    killed.route = RouteId::literal("r-killed");
    SimEngine e({route(), killed});
    ASSERT_TRUE(e.submit(limit_order("f-1")));
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("p-1", 10, 100)));

    const std::size_t journaled = e.journal->size();
    EXPECT_EQ(e.cancel(cancel_of("f-1")).error(), kInvalidTransition);
    EXPECT_TRUE(e.out.empty());
    EXPECT_EQ(e.state("f-1")->status, OrderStatus::Filled);
    EXPECT_EQ(e.journal->size(), journaled + 1) << "the cancel command is journaled";

    CancelRequest c = cancel_of("p-1", "c-2");
    c.venue_order_id = VenueOrderId::literal("SIM-2");
    ASSERT_TRUE(e.cancel(c));
    ASSERT_EQ(e.out.size(), 1u);
    ExecutionEvent want;
    want.kind = ExecutionType::Canceled;
    want.status = OrderStatus::Canceled;
    want.client_order_id = ClientOrderId::literal("c-2");
    want.orig_client_order_id = ClientOrderId::literal("p-1");
    want.venue_order_id = VenueOrderId::literal("SIM-2");
    want.account = c.account;
    want.route = c.route;
    want.symbol = c.symbol;
    want.ts_ns = 3000;
    EXPECT_EQ(e.out[0], want);
    const OrderState* s = e.state("p-1");
    EXPECT_EQ(s->status, OrderStatus::Canceled);
    EXPECT_EQ(s->filled_qty, 0);
    EXPECT_EQ(s->leaves_qty, 0);
    EXPECT_EQ(s->avg_price, 0);
    EXPECT_EQ(s->quantity, 10);
    EXPECT_EQ(e.engine->metrics().cancels_sent, 2u);
    EXPECT_EQ(e.engine->risk_context(route(), ClientOrderId{}).open_orders, 0u);
}

TEST(ExecutionEngineCancel, NeverRiskCheckedButTheOrderAndRouteMustExist) {
    RouteConfig killed = route();  // route r1, which cancel_of names
    killed.kill_switch = true;
    killed.max_open_orders = 1;
    SimEngine e({route("open"), killed});
    e.sim->set_partial_fills(true);
    ASSERT_TRUE(e.submit(limit_order("p-1", 10, 100, "open")));

    EXPECT_EQ(e.cancel(cancel_of("nope")).error().kind, Kind::RouteNotFound);
    CancelRequest elsewhere = cancel_of("p-1");
    elsewhere.route = RouteId::literal("nowhere");
    EXPECT_EQ(e.cancel(elsewhere).error().kind, Kind::RouteNotFound);

    EXPECT_TRUE(e.cancel(cancel_of("p-1")));  // through the killed, full route
    EXPECT_EQ(e.state("p-1")->status, OrderStatus::Canceled);
    EXPECT_EQ(e.engine->metrics().risk_rejects, 0u);
}

}  // namespace
}  // namespace qx::exec
