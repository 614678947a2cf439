// The TWAP planner's schedule arithmetic, its refusals, and the progress it reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "execution_algos/algo_progress.h"
#include "execution_algos/parent_order.h"
#include "execution_algos/twap_slice_planner.h"

namespace {

using namespace qx::exec;
using qx::Expected;

constexpr std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kU64Max = std::numeric_limits<std::uint64_t>::max();

ParentOrder parent(std::int64_t quantity, std::uint64_t start, std::uint64_t end,
                   std::int64_t min_child, std::int64_t max_child) {
    ParentOrder p;
    p.quantity = quantity;
    p.limit_price = 4500;
    p.start_ns = start;
    p.end_ns = end;
    p.min_child_qty = min_child;
    p.max_child_qty = max_child;
    p.symbol = {VenueCode::literal("CME"), SymbolCode::literal("ESZ6")};
    p.parent_order_id = ParentOrderId::literal("parent-1");
    p.account = AccountId::literal("acct");
    p.route = RouteId::literal("r1");
    p.tag = OrderTag::literal("twap");
    p.time_in_force = TimeInForce::Day;
    p.order_type = OrderType::Limit;
    p.side = OrderSide::Sell;
    auto created = ParentOrder::create(p);
    EXPECT_TRUE(created);
    return *created;
}

Expected<std::optional<ChildOrderPlan>, AlgoError> plan_at(const TwapSlicePlanner& planner,
                                                           const ParentOrder& p,
                                                           const AlgoProgress& progress,
                                                           std::uint64_t now) {
    return planner.plan_due_slice(p, progress, now, SliceId::literal("s"),
                                  ClientOrderId::literal("child"), 77);
}

// One planning scenario: plans are asked for at each `now` in turn; every plan is committed
// before the next step. 0 in `expected` means "nothing to release".
struct PlanCase {
    std::string name;
    std::int64_t quantity;
    std::uint64_t start, end, interval;
    std::int64_t min_child, max_child;
    std::int64_t released_before;  // quantity already released when the scenario starts
    std::vector<std::uint64_t> now;
    std::vector<std::int64_t> expected;
};

class PlanDueSlice : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanDueSlice, ReleasesTheScheduledQuantities) {
    const PlanCase& c = GetParam();
    const ParentOrder p = parent(c.quantity, c.start, c.end, c.min_child, c.max_child);
    const TwapSlicePlanner planner{c.interval};
    AlgoProgress progress = AlgoProgress::for_parent(p);
    progress.released_qty = c.released_before;
    ASSERT_EQ(c.now.size(), c.expected.size());
    for (std::size_t i = 0; i < c.now.size(); ++i) {
        const auto planned = plan_at(planner, p, progress, c.now[i]);
        ASSERT_TRUE(planned) << "step " << i;
        const std::int64_t qty = *planned ? (*planned)->request.quantity : 0;
        EXPECT_EQ(qty, c.expected[i]) << "step " << i << " at now " << c.now[i];
        if (*planned) {
            EXPECT_EQ((*planned)->planned_at_ns, c.now[i]);
            ASSERT_TRUE(progress.on_child_released(**planned));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanDueSlice,
    ::testing::Values(
        // Targets 4, 7 and 10 of 10 over three slices.
        PlanCase{"three_slices", 10, 0, 300, 100, 1, 100, 0, {0, 100, 200, 300}, {4, 3, 3, 0}},
        // 250 ns with a 100 ns interval: the partial last interval is a third slice.
        PlanCase{"partial_last_interval",
                 9,
                 1000,
                 1250,
                 100,
                 1,
                 100,
                 0,
                 {1000, 1100, 1200, 1249},
                 {3, 3, 3, 0}},
        PlanCase{"before_start", 10, 100, 400, 100, 1, 100, 0, {0, 99}, {0, 0}},
        // Target 60 at the sixth slice, at most 25 per child, same now each time.
        PlanCase{
            "max_child_caps", 100, 0, 1000, 100, 1, 25, 0, {500, 500, 500, 500}, {25, 25, 10, 0}},
        // The first slice's 10 is below the minimum and waits; the second releases 20.
        PlanCase{"min_child_holds_back", 100, 0, 1000, 100, 15, 100, 0, {0, 100}, {0, 20}},
        // 5 left of 100 is below the minimum of 15 but completes the parent.
        PlanCase{"remainder_completes_parent", 100, 0, 1000, 100, 15, 100, 95, {950}, {5}},
        // After the window the remainder is planned, still capped by max_child.
        PlanCase{"after_end_caps",
                 100,
                 0,
                 1000,
                 100,
                 30,
                 40,
                 0,
                 {5000, 5000, 5000, 5000},
                 {40, 40, 20, 0}},
        PlanCase{"after_end_remainder_below_min", 100, 0, 1000, 100, 50, 100, 80, {1000}, {20}},
        // Missed slices are caught up at once.
        PlanCase{"catch_up", 100, 0, 1000, 100, 1, 100, 0, {0, 899}, {10, 80}},
        // ceil(Q x D / T) with Q = 2^63 - 1, T = 2^64 - 1 slices, D = 2^63 + 1 due is
        // 2^62 + 1 (the product needs 127 bits); 1 of it was released at the start.
        PlanCase{"wide_target",
                 kI64Max,
                 0,
                 kU64Max,
                 1,
                 1,
                 kI64Max,
                 0,
                 {0, std::uint64_t{1} << 63},
                 {1, std::int64_t{1} << 62}}),
    [](const auto& info) { return info.param.name; });

TEST(TwapSchedule, SliceArithmeticAtTheEdges) {
    EXPECT_EQ(TwapSlicePlanner::slice_count(0, 300, 100), 3u);
    EXPECT_EQ(TwapSlicePlanner::slice_count(0, 250, 100), 3u);
    EXPECT_EQ(TwapSlicePlanner::slice_count(0, 50, 100), 1u);
    EXPECT_EQ(TwapSlicePlanner::slice_count(0, kU64Max, 1), kU64Max);
    EXPECT_EQ(TwapSlicePlanner::slice_count(0, kU64Max, kU64Max), 1u);
    // Due slices at the start, just before a boundary, on it, and long after the end.
    EXPECT_EQ(TwapSlicePlanner::slices_due(0, 300, 100, 0), 1u);
    EXPECT_EQ(TwapSlicePlanner::slices_due(0, 300, 100, 99), 1u);
    EXPECT_EQ(TwapSlicePlanner::slices_due(0, 300, 100, 100), 2u);
    EXPECT_EQ(TwapSlicePlanner::slices_due(0, 300, 100, 300), 3u);
    EXPECT_EQ(TwapSlicePlanner::slices_due(0, kU64Max, 1, kU64Max), kU64Max);
    EXPECT_EQ(TwapSlicePlanner::target_quantity(10, 1, 3), 4);
    EXPECT_EQ(TwapSlicePlanner::target_quantity(kI64Max, kU64Max, kU64Max), kI64Max);
    EXPECT_EQ(TwapSlicePlanner::target_quantity(kI64Max, 1, kU64Max), 1);
}

TEST(TwapSchedule, PlannedChildCopiesTheParent) {
    const ParentOrder p = parent(10, 0, 300, 1, 100);
    const auto planned = plan_at(TwapSlicePlanner{100}, p, AlgoProgress::for_parent(p), 0);
    ASSERT_TRUE(planned && *planned);
    const ChildOrderPlan& plan = **planned;
    EXPECT_EQ(plan.slice_id, SliceId::literal("s"));
    EXPECT_EQ(plan.parent_order_id, p.parent_order_id);
    OrderRequest want;
    want.client_order_id = ClientOrderId::literal("child");
    want.account = p.account;
    want.route = p.route;
    want.tag = p.tag;
    want.symbol = p.symbol;
    want.side = OrderSide::Sell;
    want.order_type = OrderType::Limit;
    want.time_in_force = TimeInForce::Day;
    want.quantity = 4;
    want.limit_price = 4500;
    want.stop_price = 0;
    want.origin_ts_ns = 0;
    want.ts_ns = 77;
    EXPECT_EQ(plan.request, want);
}

TEST(TwapSchedule, RefusesBrokenParentsAndForeignProgress) {
    const ParentOrder good = parent(100, 0, 1000, 1, 100);
    struct Refusal {
        const char* what;
        ParentOrder p;
        AlgoProgress progress;
        AlgoError error;
    };
    std::vector<Refusal> cases;
    const auto add = [&](const char* what, auto change_parent, auto change_progress,
                         AlgoError error) {
        ParentOrder p = good;
        change_parent(p);
        AlgoProgress progress = AlgoProgress::for_parent(good);
        change_progress(progress);
        cases.push_back({what, p, progress, error});
    };
    const auto same_parent = [](ParentOrder&) {};
    const auto same_progress = [](AlgoProgress&) {};
    add(
        "empty window", [](ParentOrder& p) { p.end_ns = p.start_ns; }, same_progress,
        AlgoError::InvalidSchedule);
    add(
        "min child 0", [](ParentOrder& p) { p.min_child_qty = 0; }, same_progress,
        AlgoError::InvalidChildBounds);
    add(
        "max below min", [](ParentOrder& p) { p.max_child_qty = 0; }, same_progress,
        AlgoError::InvalidChildBounds);
    add(
        "stop price", [](ParentOrder& p) { p.order_type = OrderType::StopLimit; }, same_progress,
        AlgoError::PriceNotPositive);
    add(
        "finished parent", [](ParentOrder& p) { p.state = 6; }, same_progress,
        AlgoError::ParentInactive);
    add(
        "other parent", same_parent,
        [](AlgoProgress& g) { g.parent_order_id = ParentOrderId::literal("other"); },
        AlgoError::ProgressMismatch);
    add(
        "other total", same_parent, [](AlgoProgress& g) { g.total_qty = 99; },
        AlgoError::ProgressMismatch);
    add(
        "released above total", same_parent, [](AlgoProgress& g) { g.released_qty = 101; },
        AlgoError::ProgressMismatch);
    add(
        "filled above total", same_parent, [](AlgoProgress& g) { g.filled_qty = 101; },
        AlgoError::ProgressMismatch);
    for (const Refusal& c : cases) {
        const auto planned = plan_at(TwapSlicePlanner{100}, c.p, c.progress, 500);
        ASSERT_FALSE(planned) << c.what;
        EXPECT_EQ(planned.error(), c.error) << c.what;
    }
    // States 2, 3 and 9 may still be planned; a zero interval never divides.
    for (std::uint8_t state : {2, 3, 9}) {
        ParentOrder p = good;
        p.state = state;
        EXPECT_TRUE(plan_at(TwapSlicePlanner{100}, p, AlgoProgress::for_parent(p), 500));
    }
    const auto zero_interval =
        plan_at(TwapSlicePlanner{0}, good, AlgoProgress::for_parent(good), 5);
    ASSERT_FALSE(zero_interval);
    EXPECT_EQ(zero_interval.error(), AlgoError::InvalidSchedule);
}

TEST(TwapSchedule, NothingOnceFilled) {
    const ParentOrder p = parent(100, 0, 1000, 1, 100);
    AlgoProgress progress = AlgoProgress::for_parent(p);
    progress.filled_qty = 100;  // filled by executions although nothing was released here
    const auto planned = plan_at(TwapSlicePlanner{100}, p, progress, 999);
    ASSERT_TRUE(planned);
    EXPECT_FALSE(*planned);
}

TEST(ParentOrderCreate, ChecksInOrder) {
    ParentOrder p = parent(100, 0, 1000, 1, 100);
    p.state = 7;
    auto created = ParentOrder::create(p);
    ASSERT_TRUE(created);
    EXPECT_EQ(created->state, 2);  // the given state is ignored
    // Window first, then bounds, quantity, prices.
    p.end_ns = 0;
    p.min_child_qty = 0;
    p.quantity = 0;
    p.limit_price = 0;
    EXPECT_EQ(ParentOrder::create(p).error(), AlgoError::InvalidSchedule);
    p.end_ns = 1000;
    EXPECT_EQ(ParentOrder::create(p).error(), AlgoError::InvalidChildBounds);
    p.min_child_qty = 1;
    EXPECT_EQ(ParentOrder::create(p).error(), AlgoError::QuantityNotPositive);
    p.quantity = 1;
    EXPECT_EQ(ParentOrder::create(p).error(), AlgoError::PriceNotPositive);
    p.order_type = OrderType::Market;
    EXPECT_TRUE(ParentOrder::create(p));
    p.order_type = OrderType::Stop;  // needs only the stop price
    p.stop_price = 1;
    EXPECT_TRUE(ParentOrder::create(p));
}

TEST(AlgoProgressUpdates, ReleasesAndExecutions) {
    const ParentOrder p = parent(100, 0, 1000, 1, 100);
    AlgoProgress progress = AlgoProgress::for_parent(p);
    EXPECT_EQ(progress.total_qty, 100);
    EXPECT_EQ(progress.parent_order_id, p.parent_order_id);

    auto plan = ChildOrderPlan::create(
        SliceId::literal("s"), p.parent_order_id,
        plan_at(TwapSlicePlanner{100}, p, progress, 999).value()->request, 999);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->request.quantity, 100);
    ChildOrderPlan foreign = *plan;
    foreign.parent_order_id = ParentOrderId::literal("other");
    EXPECT_EQ(progress.on_child_released(foreign).error(), AlgoError::ProgressMismatch);
    ASSERT_TRUE(progress.on_child_released(*plan));
    EXPECT_EQ(progress.released_qty, 100);
    EXPECT_EQ(progress.outstanding_qty, 100);
    const AlgoProgress before = progress;
    EXPECT_EQ(progress.on_child_released(*plan).error(), AlgoError::ProgressMismatch);
    EXPECT_EQ(progress, before);  // a refused release changes nothing

    const auto execution = [](std::int64_t last, std::int64_t leaves, OrderStatus status) {
        ExecutionEvent e;
        e.kind = ExecutionType::Restatement;
        e.status = status;
        e.last_qty = last;
        e.leaves_qty = leaves;
        return e;
    };
    progress.on_execution_event(execution(30, 70, OrderStatus::PartiallyFilled));
    EXPECT_EQ(progress.filled_qty, 30);
    EXPECT_EQ(progress.outstanding_qty, 70);
    EXPECT_EQ(progress.terminal_children, 0u);
    // A non-terminal event does not look at leaves.
    progress.on_execution_event(execution(0, 5, OrderStatus::New));
    EXPECT_EQ(progress.outstanding_qty, 70);
    progress.on_execution_event(execution(0, 20, OrderStatus::Canceled));
    EXPECT_EQ(progress.outstanding_qty, 20);
    EXPECT_EQ(progress.terminal_children, 1u);
    EXPECT_EQ(progress.rejected_children, 0u);
    progress.on_execution_event(execution(0, -5, OrderStatus::Rejected));
    EXPECT_EQ(progress.outstanding_qty, 0);
    EXPECT_EQ(progress.terminal_children, 2u);
    EXPECT_EQ(progress.rejected_children, 1u);
    // Fills are capped at the total; outstanding is not floored, so fills reported beyond
    // what was released take it below 0.
    progress.on_execution_event(execution(150, 0, OrderStatus::Filled));
    EXPECT_EQ(progress.filled_qty, 100);
    EXPECT_EQ(progress.outstanding_qty, -150);
    EXPECT_EQ(progress.terminal_children, 3u);
    progress.terminal_children = std::numeric_limits<std::uint64_t>::max();
    progress.on_execution_event(execution(0, 0, OrderStatus::Expired));
    EXPECT_EQ(progress.terminal_children, std::numeric_limits<std::uint64_t>::max());
}

}  // namespace
