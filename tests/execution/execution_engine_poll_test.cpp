// Polling: venue events applied on their own, adoption of unknown orders by status reports,
// and what a failure part-way through leaves behind.
#include <gtest/gtest.h>

#include <variant>

#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;
using Kind = ExecutionError::Kind;

TEST(ExecutionEnginePoll, NothingPendingIsSuccessWithNoEvents) {
    SimEngine e({route()});
    const auto r = e.poll();
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, 0u);
    EXPECT_TRUE(e.out.empty());
    EXPECT_EQ(e.journal->size(), 0u);
}

TEST(ExecutionEnginePoll, StatusReportAdoptsAnUnknownOrder) {
    SimEngine e({route()});
    ExecutionEvent report = venue_event(ExecutionType::StatusReport, "x-1", OrderStatus::New);
    report.venue_order_id = VenueOrderId::literal("V-77");
    report.cum_qty = 3;
    report.leaves_qty = 4;
    report.avg_price = 50;
    ASSERT_TRUE(e.sim->enqueue_pending(report));
    ASSERT_TRUE(e.poll());
    ASSERT_EQ(e.out.size(), 1u);
    EXPECT_EQ(e.out[0], report);

    OrderState want;
    want.client_order_id = ClientOrderId::literal("x-1");
    want.current_client_order_id = want.client_order_id;
    want.account = report.account;
    want.route = report.route;
    want.symbol = report.symbol;
    want.side = OrderSide::Buy;
    want.status = OrderStatus::PendingNew;  // the report itself is not applied
    want.quantity = 7;
    want.leaves_qty = 7;
    want.updated_ts_ns = 5000;
    ASSERT_NE(e.state("x-1"), nullptr);
    EXPECT_EQ(*e.state("x-1"), want);
    EXPECT_EQ(e.engine->ledger().price(want.client_order_id), 50);
    EXPECT_EQ(e.engine->ledger().tag(want.client_order_id), OrderTag{});
    EXPECT_EQ(e.engine->risk_context(route(), ClientOrderId{}).open_notional, 7 * 50);
    EXPECT_EQ(e.engine->metrics().events_applied, 1u);

    // A second report for the now known order goes through the state machine.
    ASSERT_TRUE(e.sim->enqueue_pending(
        venue_event(ExecutionType::StatusReport, "x-1", OrderStatus::Unknown)));
    ASSERT_TRUE(e.poll());
    EXPECT_EQ(e.state("x-1")->status, OrderStatus::Unknown);
    EXPECT_EQ(e.state("x-1")->quantity, 7);
}

TEST(ExecutionEnginePoll, OtherEventsForUnknownOrdersAreJournaledAndDeliveredOnly) {
    SimEngine e({route()});
    ExecutionEvent ghost = venue_event(ExecutionType::Trade, "ghost", OrderStatus::Filled);
    ghost.cum_qty = 1;
    ASSERT_TRUE(e.sim->enqueue_pending(ghost));
    ASSERT_TRUE(e.poll());
    EXPECT_EQ(e.out.size(), 1u);
    EXPECT_EQ(e.journal->size(), 1u);
    EXPECT_EQ(e.engine->ledger().size(), 0u);
    EXPECT_EQ(e.engine->metrics().events_applied, 1u);
}

TEST(ExecutionEnginePoll, AnInvalidTransitionStopsTheBatch) {
    SimEngine e({route()});
    ASSERT_TRUE(e.submit(limit_order("o-1")));  // Filled
    const std::size_t journaled = e.journal->size();
    const ExecutionEvent restated =
        venue_event(ExecutionType::Restatement, "o-1", OrderStatus::PartiallyFilled);
    ASSERT_TRUE(e.sim->enqueue_pending(restated));  // accepted, the order stays Filled
    ASSERT_TRUE(e.sim->enqueue_pending(venue_event(ExecutionType::New, "o-1")));  // refused
    ASSERT_TRUE(
        e.sim->enqueue_pending(venue_event(ExecutionType::StatusReport, "x-1", OrderStatus::New)));

    EXPECT_EQ(e.poll().error(),
              ExecutionError::core_error(ExecutionCoreError::invalid_transition()));
    // Events before the failure stay applied, journaled and delivered; the rest are dropped.
    ASSERT_EQ(e.out.size(), 1u);
    EXPECT_EQ(e.out[0], restated);
    EXPECT_EQ(e.journal->size(), journaled + 1);
    EXPECT_EQ(e.engine->metrics().events_applied, 3u);
    EXPECT_EQ(e.state("o-1")->status, OrderStatus::Filled);
    EXPECT_EQ(e.state("o-1")->updated_ts_ns, 5000u);
    EXPECT_EQ(e.state("x-1"), nullptr);
    const auto again = e.poll();
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, 0u) << "the venue's queue was emptied by the failed poll";
}

TEST(ExecutionEnginePoll, MoreVenueEventsThanTheScratchLimitAreLost) {
    SimEngine e({route()});
    for (std::size_t i = 0; i <= ExecutionEngine::kScratchLimit; ++i) {
        ASSERT_TRUE(e.sim->enqueue_pending(
            venue_event(ExecutionType::StatusReport, "x-" + std::to_string(i))));
    }
    EXPECT_EQ(e.poll().error().kind, Kind::EventBufferFull);
    EXPECT_TRUE(e.out.empty());
    EXPECT_EQ(e.engine->ledger().size(), 0u);
    EXPECT_EQ(*e.poll(), 0u);
}

}  // namespace
}  // namespace qx::exec
