// The execution engine's C entry points for amends, cancels and order state.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "execution/in_memory_journal.h"
#include "execution/sim_execution_adapter.h"
#include "execution_c_records.h"
#include "ffi/support/execution_engine_handle.h"
#include "qx/qx.h"

namespace {

using namespace qx::ffi::testing;

TEST(ExecutionExports, AmendStatusMapping) {
    Engine e({c_route()});
    qx_execution_event_t events[2];
    uint32_t n = 2;
    qx_order_request_t o = c_order("o-1");
    ASSERT_EQ(qx_execution_submit_order(e.h, &o, events, &n), QX_STATUS_OK);

    qx_amend_request_t a = c_amend("o-1", "o-2");
    EXPECT_EQ(qx_execution_amend_order(nullptr, &a, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_amend_order(e.h, nullptr, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_amend_order(e.h, &a, events, nullptr), QX_STATUS_INVALID_ARGUMENT);
    qx_amend_request_t no_orig = a;
    no_orig.orig_client_order_id = nullptr;
    n = 9;
    EXPECT_EQ(qx_execution_amend_order(e.h, &no_orig, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(n, 9u);

    // The simulated venue answers with Replaced, which a Filled order refuses; an over-long
    // venue order id is optional and simply dropped.
    const std::string vid49(49, 'v');
    qx_amend_request_t long_vid = a;
    long_vid.venue_order_id = vid49.c_str();
    n = 2;
    EXPECT_EQ(qx_execution_amend_order(e.h, &long_vid, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(n, 0u);

    qx_amend_request_t zero_qty = c_amend("o-1", "o-3");
    zero_qty.new_quantity = 0;
    EXPECT_EQ(qx_execution_amend_order(e.h, &zero_qty, events, &n), QX_STATUS_INVALID_ARGUMENT);
    qx_amend_request_t unknown = c_amend("nope", "o-4");
    EXPECT_EQ(qx_execution_amend_order(e.h, &unknown, events, &n), QX_STATUS_REFUSED);
    qx_amend_request_t same_id = c_amend("o-1", "o-1");
    n = 2;
    EXPECT_EQ(qx_execution_amend_order(e.h, &same_id, events, &n), QX_STATUS_RISK_REJECTED);
    EXPECT_EQ(n, 0u) << "an amend's risk rejection has no event";

    qx_execution_metrics_t m;
    ASSERT_EQ(qx_execution_metrics(e.h, &m), QX_STATUS_OK);
    EXPECT_EQ(m.amends_sent, 1u);
    EXPECT_EQ(m.risk_rejects, 1u);
}

TEST(ExecutionExports, CancelStatusMapping) {
    Engine e({c_route()});
    qx_execution_event_t events[2];
    uint32_t n = 2;
    qx_order_request_t o = c_order("o-1");
    ASSERT_EQ(qx_execution_submit_order(e.h, &o, events, &n), QX_STATUS_OK);

    qx_cancel_request_t c = c_cancel("o-1");
    EXPECT_EQ(qx_execution_cancel_order(nullptr, &c, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_cancel_order(e.h, nullptr, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_cancel_order(e.h, &c, events, nullptr), QX_STATUS_INVALID_ARGUMENT);
    qx_cancel_request_t bad = c;
    bad.symbol = "";
    n = 9;
    EXPECT_EQ(qx_execution_cancel_order(e.h, &bad, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(n, 9u);

    n = 2;
    EXPECT_EQ(qx_execution_cancel_order(e.h, &c, events, &n), QX_STATUS_INVALID_ARGUMENT)
        << "a filled order cannot be canceled";
    EXPECT_EQ(n, 0u);
    qx_cancel_request_t unknown = c_cancel("nope");
    EXPECT_EQ(qx_execution_cancel_order(e.h, &unknown, events, &n), QX_STATUS_REFUSED);
}

TEST(ExecutionExports, CancelOfAnOpenOrderAndItsState) {
    // Partial fills are only reachable from C++: give the handle an engine whose venue leaves
    // orders open.
    Engine e({c_route()}, /*start=*/false);
    auto sim = std::make_unique<qx::exec::SimExecutionAdapter>();
    sim->set_partial_fills(true);
    qx::exec::RouteConfig r;
    r.route = qx::exec::RouteId::literal("r1");
    r.account = qx::exec::AccountId::literal("acct");
    r.symbol = {qx::exec::VenueCode::literal("CME"), qx::exec::SymbolCode::literal("ESZ6")};
    r.enabled = true;
    e.h->engine = qx::exec::ExecutionEngine(
        std::move(sim), std::make_unique<qx::exec::AllowAllRiskGate>(),
        std::make_unique<qx::exec::InMemoryJournal>(), std::vector<qx::exec::RouteConfig>{r});
    ASSERT_EQ(qx_execution_engine_start(e.h), QX_STATUS_OK);

    qx_execution_event_t events[2];
    uint32_t n = 2;
    qx_order_request_t o = c_order("o-1");
    ASSERT_EQ(qx_execution_submit_order(e.h, &o, events, &n), QX_STATUS_OK);
    qx_order_state_t s;
    ASSERT_EQ(qx_execution_get_order_state(e.h, "o-1", &s), QX_STATUS_OK);
    EXPECT_EQ(s.status, 3u);
    EXPECT_EQ(s.filled_qty, 5);
    EXPECT_EQ(s.leaves_qty, 5);

    qx_cancel_request_t c = c_cancel("o-1");
    n = 1;
    ASSERT_EQ(qx_execution_cancel_order(e.h, &c, events, &n), QX_STATUS_OK);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(events[0].kind, 5u);
    EXPECT_EQ(events[0].status, 6u);
    expect_field(events[0].client_order_id, "c-1");
    expect_field(events[0].orig_client_order_id, "o-1");
    expect_field(events[0].venue_order_id, "");

    std::memset(&s, 0x5a, sizeof s);
    ASSERT_EQ(qx_execution_get_order_state(e.h, "o-1", &s), QX_STATUS_OK);
    expect_field(s.client_order_id, "o-1");
    expect_field(s.venue_order_id, "SIM-1");
    expect_field(s.account, "acct");
    expect_field(s.route, "r1");
    expect_field(s.venue, "CME");
    expect_field(s.symbol, "ESZ6");
    EXPECT_EQ(s.status, 6u);
    EXPECT_EQ(s.quantity, 10);
    EXPECT_EQ(s.filled_qty, 0);
    EXPECT_EQ(s.leaves_qty, 0);
    EXPECT_EQ(s.avg_price, 0);
    EXPECT_EQ(s.updated_ts_ns, 3000u);
}

TEST(ExecutionExports, GetOrderStateStatuses) {
    Engine e({c_route()});
    qx_order_state_t s;
    std::memset(&s, 0x5a, sizeof s);
    const std::string id41(41, 'x');
    EXPECT_EQ(qx_execution_get_order_state(nullptr, "o-1", &s), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, nullptr, &s), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, "o-1", nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, id41.c_str(), &s), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, "  ", &s), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, "o-\x80", &s), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_get_order_state(e.h, "unknown", &s), QX_STATUS_REFUSED);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&s)[0], 0x5a) << "out untouched";
}

}  // namespace
