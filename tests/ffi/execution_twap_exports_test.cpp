// The TWAP entry points: record conversion, the pending/commit/discard rules and the status of
// every outcome.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qx/qx.h"

namespace {

// Q = 100 over ten 100 ns slices from 1000, children of 1 to 25.
qx_twap_parent_order_t c_parent() {
    qx_twap_parent_order_t p{};
    p.parent_order_id = "parent-1";
    p.account = "acct";
    p.route = "r1";
    p.tag = "twap";
    p.venue = "CME";
    p.symbol = "ESZ6";
    p.side = 2;
    p.order_type = 2;
    p.time_in_force = 1;
    p.quantity = 100;
    p.limit_price = 4500;
    p.stop_price = 0;
    p.start_ns = 1000;
    p.end_ns = 2000;
    p.min_child_qty = 1;
    p.max_child_qty = 25;
    p.slice_interval_ns = 100;
    return p;
}

struct Algo {
    qx_twap_algo_t* h = nullptr;
    explicit Algo(const qx_twap_parent_order_t& p = c_parent()) {
        EXPECT_EQ(qx_execution_twap_algo_create(&p, &h), QX_STATUS_OK);
    }
    ~Algo() { qx_execution_twap_algo_destroy(h); }
    qx_twap_progress_t progress() const {
        qx_twap_progress_t out{};
        EXPECT_EQ(qx_execution_twap_algo_progress(h, &out), QX_STATUS_OK);
        return out;
    }
};

qx_twap_child_plan_t sentinel_plan() {
    qx_twap_child_plan_t p;
    std::memset(&p, 0x5a, sizeof p);
    return p;
}

bool all_bytes(const qx_twap_child_plan_t& p, unsigned char value) {
    const auto* b = reinterpret_cast<const unsigned char*>(&p);
    for (std::size_t i = 0; i < sizeof p; ++i) {
        if (b[i] != value) {
            return false;
        }
    }
    return true;
}

bool same_progress(const qx_twap_progress_t& a, const qx_twap_progress_t& b) {
    return a.total_qty == b.total_qty && a.released_qty == b.released_qty &&
           a.filled_qty == b.filled_qty && a.outstanding_qty == b.outstanding_qty &&
           a.rejected_children == b.rejected_children &&
           a.terminal_children == b.terminal_children && a.has_pending == b.has_pending;
}

TEST(TwapExports, CreateRefusesInvalidParents) {
    struct Case {
        const char* what;
        void (*change)(qx_twap_parent_order_t&);
    };
    const std::vector<Case> cases = {
        {"missing id", [](qx_twap_parent_order_t& p) { p.parent_order_id = nullptr; }},
        {"blank id", [](qx_twap_parent_order_t& p) { p.parent_order_id = "   "; }},
        {"id of 41",
         [](qx_twap_parent_order_t& p) {
             p.parent_order_id = "12345678901234567890123456789012345678901";
         }},
        {"non-ASCII account", [](qx_twap_parent_order_t& p) { p.account = "acc\xc3\xa9"; }},
        {"missing route", [](qx_twap_parent_order_t& p) { p.route = nullptr; }},
        {"venue of 17", [](qx_twap_parent_order_t& p) { p.venue = "12345678901234567"; }},
        {"missing symbol", [](qx_twap_parent_order_t& p) { p.symbol = ""; }},
        {"side 3", [](qx_twap_parent_order_t& p) { p.side = 3; }},
        {"order type 0", [](qx_twap_parent_order_t& p) { p.order_type = 0; }},
        {"time in force 6", [](qx_twap_parent_order_t& p) { p.time_in_force = 6; }},
        {"start = end", [](qx_twap_parent_order_t& p) { p.end_ns = p.start_ns; }},
        {"min child 0", [](qx_twap_parent_order_t& p) { p.min_child_qty = 0; }},
        {"max below min", [](qx_twap_parent_order_t& p) { p.max_child_qty = 0; }},
        {"quantity 0", [](qx_twap_parent_order_t& p) { p.quantity = 0; }},
        {"limit price 0", [](qx_twap_parent_order_t& p) { p.limit_price = 0; }},
        {"stop order without stop price", [](qx_twap_parent_order_t& p) { p.order_type = 3; }},
        {"interval 0", [](qx_twap_parent_order_t& p) { p.slice_interval_ns = 0; }},
    };
    for (const Case& c : cases) {
        qx_twap_parent_order_t p = c_parent();
        c.change(p);
        qx_twap_algo_t* out = reinterpret_cast<qx_twap_algo_t*>(0x1);
        EXPECT_EQ(qx_execution_twap_algo_create(&p, &out), QX_STATUS_INVALID_ARGUMENT) << c.what;
        EXPECT_EQ(out, nullptr) << c.what;
    }
    const qx_twap_parent_order_t p = c_parent();
    qx_twap_algo_t* out = nullptr;
    EXPECT_EQ(qx_execution_twap_algo_create(nullptr, &out), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_create(&p, nullptr), QX_STATUS_INVALID_ARGUMENT);

    // An unusable optional tag is simply empty; a Market parent needs no price.
    qx_twap_parent_order_t market = c_parent();
    market.tag = "123456789012345678901234567890123";
    market.order_type = 1;
    market.limit_price = 0;
    Algo algo(market);
    ASSERT_NE(algo.h, nullptr);
    qx_twap_child_plan_t plan = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1000, "s1", "c1", 5, &plan), QX_STATUS_OK);
    EXPECT_EQ(std::string(plan.tag), "");
    EXPECT_EQ(plan.order_type, 1u);
}

TEST(TwapExports, PlanWritesTheChildRecord) {
    Algo algo;
    EXPECT_EQ(algo.progress().total_qty, 100);
    qx_twap_child_plan_t plan = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1500, "slice-1", "child-1", 42, &plan),
              QX_STATUS_OK);
    EXPECT_EQ(plan.has_plan, 1);
    EXPECT_EQ(std::string(plan.slice_id), "slice-1");
    EXPECT_EQ(std::string(plan.parent_order_id), "parent-1");
    EXPECT_EQ(std::string(plan.client_order_id), "child-1");
    EXPECT_EQ(std::string(plan.account), "acct");
    EXPECT_EQ(std::string(plan.route), "r1");
    EXPECT_EQ(std::string(plan.tag), "twap");
    EXPECT_EQ(std::string(plan.venue), "CME");
    EXPECT_EQ(std::string(plan.symbol), "ESZ6");
    EXPECT_EQ(plan.side, 2u);
    EXPECT_EQ(plan.order_type, 2u);
    EXPECT_EQ(plan.time_in_force, 1u);
    EXPECT_EQ(plan.quantity, 25);  // target 60 at the sixth slice, capped at 25
    EXPECT_EQ(plan.limit_price, 4500);
    EXPECT_EQ(plan.stop_price, 0);
    EXPECT_EQ(plan.planned_at_ns, 1500u);
    EXPECT_EQ(plan.ts_ns, 42u);
    // Text fields are zero-filled after their text.
    for (std::size_t i = std::strlen("slice-1"); i < sizeof plan.slice_id; ++i) {
        ASSERT_EQ(plan.slice_id[i], '\0');
    }
    EXPECT_EQ(algo.progress().has_pending, 1);
}

TEST(TwapExports, NothingDueWritesTheZeroRecord) {
    Algo algo;
    qx_twap_child_plan_t plan = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 999, "s1", "c1", 0, &plan), QX_STATUS_OK);
    EXPECT_TRUE(all_bytes(plan, 0));
    EXPECT_EQ(algo.progress().has_pending, 0);
    // Nothing pending, so any identifiers may be used next.
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1000, "s2", "c2", 0, &plan), QX_STATUS_OK);
    EXPECT_EQ(plan.quantity, 10);
}

TEST(TwapExports, PendingPlanIsFetchedOnlyWithItsIdentifiers) {
    Algo algo;
    qx_twap_child_plan_t first = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1000, "s1", "c1", 5, &first), QX_STATUS_OK);
    ASSERT_EQ(first.quantity, 10);

    // Same ids at another time: the same plan, not recomputed.
    qx_twap_child_plan_t again = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1900, "s1", "c1", 9, &again), QX_STATUS_OK);
    EXPECT_EQ(std::memcmp(&first, &again, sizeof first), 0);

    // Another slice id or client order id: refused, out untouched.
    for (const auto& ids : {std::pair{"s2", "c1"}, std::pair{"s1", "c2"}}) {
        qx_twap_child_plan_t other = sentinel_plan();
        EXPECT_EQ(qx_execution_twap_algo_plan(algo.h, 1900, ids.first, ids.second, 9, &other),
                  QX_STATUS_REFUSED);
        EXPECT_TRUE(all_bytes(other, 0x5a));
    }

    // Discard drops it without touching the progress; then a new plan is computed.
    const qx_twap_progress_t before = algo.progress();
    EXPECT_EQ(qx_execution_twap_algo_discard_pending(algo.h), QX_STATUS_OK);
    qx_twap_progress_t after = algo.progress();
    EXPECT_EQ(after.released_qty, before.released_qty);
    EXPECT_EQ(after.has_pending, 0);
    EXPECT_EQ(qx_execution_twap_algo_discard_pending(algo.h), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_execution_twap_algo_commit_pending(algo.h), QX_STATUS_REFUSED);

    qx_twap_child_plan_t next = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 1100, "s2", "c2", 5, &next), QX_STATUS_OK);
    EXPECT_EQ(next.quantity, 20);
    ASSERT_EQ(qx_execution_twap_algo_commit_pending(algo.h), QX_STATUS_OK);
    after = algo.progress();
    EXPECT_EQ(after.released_qty, 20);
    EXPECT_EQ(after.outstanding_qty, 20);
    EXPECT_EQ(after.has_pending, 0);
    EXPECT_EQ(qx_execution_twap_algo_commit_pending(algo.h), QX_STATUS_REFUSED);
}

TEST(TwapExports, PlanArgumentChecks) {
    Algo algo;
    qx_twap_child_plan_t plan = sentinel_plan();
    EXPECT_EQ(qx_execution_twap_algo_plan(nullptr, 1000, "s", "c", 0, &plan),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_plan(algo.h, 1000, "s", "c", 0, nullptr),
              QX_STATUS_INVALID_ARGUMENT);
    for (const auto& ids :
         {std::pair<const char*, const char*>{nullptr, "c"},
          std::pair<const char*, const char*>{"s", nullptr},
          std::pair<const char*, const char*>{" ", "c"},
          std::pair<const char*, const char*>{"s", "\xff"},
          std::pair<const char*, const char*>{"s", "12345678901234567890123456789012345678901"}}) {
        EXPECT_EQ(qx_execution_twap_algo_plan(algo.h, 1000, ids.first, ids.second, 0, &plan),
                  QX_STATUS_INVALID_ARGUMENT);
    }
    EXPECT_TRUE(all_bytes(plan, 0x5a));
    EXPECT_EQ(algo.progress().has_pending, 0);
    EXPECT_EQ(qx_execution_twap_algo_commit_pending(nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_discard_pending(nullptr), QX_STATUS_INVALID_ARGUMENT);
    qx_twap_progress_t progress;
    EXPECT_EQ(qx_execution_twap_algo_progress(nullptr, &progress), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_progress(algo.h, nullptr), QX_STATUS_INVALID_ARGUMENT);
    qx_execution_twap_algo_destroy(nullptr);
}

TEST(TwapExports, RecordExecutionChecksAndUpdates) {
    Algo algo;
    qx_twap_child_plan_t plan;
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 5000, "s1", "c1", 0, &plan), QX_STATUS_OK);
    ASSERT_EQ(plan.quantity, 25);
    ASSERT_EQ(qx_execution_twap_algo_commit_pending(algo.h), QX_STATUS_OK);

    const qx_twap_progress_t before = algo.progress();
    EXPECT_EQ(qx_execution_twap_algo_record_execution(nullptr, 1, 0, 3),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, -1, 0, 3),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, 1, 0, 0), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, 1, 0, 13),
              QX_STATUS_INVALID_ARGUMENT);
    EXPECT_TRUE(same_progress(algo.progress(), before));

    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, 10, 15, 3), QX_STATUS_OK);
    qx_twap_progress_t p = algo.progress();
    EXPECT_EQ(p.filled_qty, 10);
    EXPECT_EQ(p.outstanding_qty, 15);
    EXPECT_EQ(p.terminal_children, 0u);
    // A rejected child with negative leaves: outstanding 0, counted as rejected and ended.
    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, 0, -5, 9), QX_STATUS_OK);
    p = algo.progress();
    EXPECT_EQ(p.outstanding_qty, 0);
    EXPECT_EQ(p.rejected_children, 1u);
    EXPECT_EQ(p.terminal_children, 1u);
    EXPECT_EQ(p.released_qty, 25);  // a rejected child's quantity stays released
    EXPECT_EQ(qx_execution_twap_algo_record_execution(algo.h, 150, 0, 4), QX_STATUS_OK);
    p = algo.progress();
    EXPECT_EQ(p.filled_qty, 100);
    EXPECT_EQ(p.terminal_children, 2u);
    // Filled: planning stops.
    qx_twap_child_plan_t none = sentinel_plan();
    ASSERT_EQ(qx_execution_twap_algo_plan(algo.h, 9000, "s2", "c2", 0, &none), QX_STATUS_OK);
    EXPECT_TRUE(all_bytes(none, 0));
}

// The whole cycle with the execution engine: each child is submitted unchanged, committed and
// its fill reported back, until the parent is done.
TEST(TwapExports, DrivesTheExecutionEngineToCompletion) {
    qx_route_config_t route = {"r1", "acct", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0};
    qx_execution_engine_t* engine = nullptr;
    ASSERT_EQ(qx_execution_engine_create(&route, &engine), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_engine_start(engine), QX_STATUS_OK);
    Algo algo;
    std::int64_t submitted = 0;
    int children = 0;
    for (std::uint64_t now = 1000; now <= 2100; now += 50) {
        const std::string slice = "slice-" + std::to_string(now);
        const std::string child = "child-" + std::to_string(now);
        qx_twap_child_plan_t plan;
        ASSERT_EQ(
            qx_execution_twap_algo_plan(algo.h, now, slice.c_str(), child.c_str(), now, &plan),
            QX_STATUS_OK);
        if (plan.has_plan == 0) {
            continue;
        }
        qx_order_request_t order = {plan.client_order_id,
                                    plan.account,
                                    plan.route,
                                    plan.tag,
                                    plan.venue,
                                    plan.symbol,
                                    plan.side,
                                    plan.order_type,
                                    plan.time_in_force,
                                    plan.quantity,
                                    plan.limit_price,
                                    plan.stop_price,
                                    0,
                                    plan.ts_ns};
        qx_execution_event_t events[2];
        uint32_t count = 2;
        ASSERT_EQ(qx_execution_submit_order(engine, &order, events, &count), QX_STATUS_OK);
        ASSERT_EQ(qx_execution_twap_algo_commit_pending(algo.h), QX_STATUS_OK);
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_EQ(qx_execution_twap_algo_record_execution(
                          algo.h, events[i].last_qty, events[i].leaves_qty, events[i].status),
                      QX_STATUS_OK);
        }
        submitted += plan.quantity;
        ++children;
    }
    const qx_twap_progress_t p = algo.progress();
    EXPECT_EQ(submitted, 100);
    EXPECT_EQ(children, 10);  // one per slice: 10 each, never more than the due share
    EXPECT_EQ(p.released_qty, 100);
    EXPECT_EQ(p.filled_qty, 100);
    EXPECT_EQ(p.outstanding_qty, 0);
    EXPECT_EQ(p.terminal_children, 10u);
    qx_execution_engine_destroy(engine);
}

}  // namespace
