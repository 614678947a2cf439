// The simulated venue on its own: numbering, partial fills, full buffers, the pending queue.
#include <gtest/gtest.h>

#include <limits>

#include "execution/sim_execution_adapter.h"
#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;
using Kind = ExecutionError::Kind;

TEST(SimExecutionAdapter, DisconnectedUntilConnected) {
    SimExecutionAdapter sim;
    ExecutionEventBuffer out(8);
    EXPECT_EQ(sim.submit(limit_order("o-1"), out).error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(sim.amend(amend_of("o-1", "o-2"), out).error().kind, Kind::AdapterDisconnected);
    EXPECT_EQ(sim.cancel(cancel_of("o-1"), out).error().kind, Kind::AdapterDisconnected);
    EXPECT_TRUE(out.empty());
    const AdapterHealth before = sim.health();
    EXPECT_EQ(before.name, "simulated");
    EXPECT_FALSE(before.connected);
    EXPECT_EQ(before.connect_count, 0u);

    ASSERT_TRUE(sim.connect());
    const AdapterHealth after = sim.health();
    EXPECT_TRUE(after.connected);
    EXPECT_FALSE(after.degraded);
    EXPECT_EQ(after.connect_count, 1u);
    EXPECT_EQ(after.last_error, std::nullopt);
}

TEST(SimExecutionAdapter, PartialFillsFillHalfRoundedDown) {
    SimExecutionAdapter sim;
    ASSERT_TRUE(sim.connect());
    sim.set_partial_fills(true);
    struct Case {
        std::int64_t quantity, filled;
        OrderStatus status;
    };
    const Case cases[] = {
        {1, 1, OrderStatus::Filled},  // below 2 the whole quantity fills
        {2, 1, OrderStatus::PartiallyFilled},
        {5, 2, OrderStatus::PartiallyFilled},
    };
    for (const Case& c : cases) {
        ExecutionEventBuffer out(2);
        ASSERT_TRUE(sim.submit(limit_order("o", c.quantity, 300), out));
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[1].status, c.status) << c.quantity;
        EXPECT_EQ(out[1].last_qty, c.filled);
        EXPECT_EQ(out[1].cum_qty, c.filled);
        EXPECT_EQ(out[1].leaves_qty, c.quantity - c.filled);
    }
}

TEST(SimExecutionAdapter, NumbersAreTakenEvenWhenTheBufferIsFull) {
    SimExecutionAdapter sim;
    ASSERT_TRUE(sim.connect());
    ExecutionEventBuffer none(0);
    EXPECT_EQ(sim.submit(limit_order("a"), none).error().kind, Kind::EventBufferFull);
    ExecutionEventBuffer one(1);
    EXPECT_EQ(sim.submit(limit_order("b"), one).error().kind, Kind::EventBufferFull);
    ASSERT_EQ(one.size(), 1u);  // the acknowledgement stays
    EXPECT_EQ(one[0].venue_order_id.text(), "SIM-2");

    ExecutionEventBuffer two(2);
    ASSERT_TRUE(sim.submit(limit_order("c"), two));
    EXPECT_EQ(two[0].venue_order_id.text(), "SIM-3");
    EXPECT_EQ(two[1].execution_id.text(), "SIMX-2") << "the first submit took no execution id";
}

TEST(SimExecutionAdapter, TimestampsAndOriginCopy) {
    SimExecutionAdapter sim;
    ASSERT_TRUE(sim.connect());
    OrderRequest o = limit_order("o");
    o.ts_ns = std::numeric_limits<std::uint64_t>::max();
    o.origin_ts_ns = 123;
    ExecutionEventBuffer out(2);
    ASSERT_TRUE(sim.submit(o, out));
    EXPECT_EQ(out[0].ts_ns, o.ts_ns);
    EXPECT_EQ(out[1].ts_ns, o.ts_ns) << "ts_ns + 1 saturates";
    EXPECT_EQ(out[0].origin_ts_ns, 123u);
    EXPECT_EQ(out[1].origin_ts_ns, 123u);

    AmendRequest a = amend_of("o", "o2");
    ExecutionEventBuffer amend_out(1);
    ASSERT_TRUE(sim.amend(a, amend_out));
    EXPECT_EQ(sim.amend(a, amend_out).error().kind, Kind::EventBufferFull);
    EXPECT_EQ(amend_out.size(), 1u);
}

TEST(SimExecutionAdapter, PollMovesPendingEventsAndLosesWhatDoesNotFit) {
    SimExecutionAdapter sim;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(sim.enqueue_pending(venue_event(ExecutionType::Informational, "o")));
    }
    ExecutionEventBuffer out(2);
    EXPECT_EQ(sim.poll(out).error().kind, Kind::EventBufferFull);
    EXPECT_EQ(out.size(), 2u);
    ExecutionEventBuffer later(8);
    EXPECT_EQ(*sim.poll(later), 0u);

    for (std::size_t i = 0; i < SimExecutionAdapter::kPendingLimit; ++i) {
        ASSERT_TRUE(sim.enqueue_pending(venue_event(ExecutionType::Informational, "o")));
    }
    EXPECT_EQ(sim.enqueue_pending(venue_event(ExecutionType::Informational, "o")).error().kind,
              Kind::EventBufferFull);
}

}  // namespace
}  // namespace qx::exec
