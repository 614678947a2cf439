// The execution engine's C entry points: record conversion, status mapping of every export and
// the rules for handing events back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "execution_c_records.h"
#include "ffi/support/execution_engine_handle.h"
#include "ffi/support/execution_records.h"
#include "qx/qx.h"

namespace {

using namespace qx::ffi::testing;

using qx::exec::ClientOrderId;
using qx::exec::ExecutionError;

TEST(ExecutionExports, CreateChecksPointersAndRouteRecords) {
    qx_execution_engine_t* sentinel = reinterpret_cast<qx_execution_engine_t*>(0x1);
    qx_execution_engine_t* out = sentinel;
    qx_route_config_t r = c_route();
    EXPECT_EQ(qx_execution_engine_create(nullptr, &out), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_engine_create(&r, nullptr), QX_STATUS_INVALID_ARGUMENT);

    const std::string venue17(17, 'V'), id33(33, 'R');
    const qx_route_config_t invalid[] = {
        {"r1", "acct", venue17.c_str(), "ESZ6", 1, 0, 0, 0, 0, 0, 0},
        {id33.c_str(), "acct", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0},
        {"r1", "   ", "CME", "ESZ6", 1, 0, 0, 0, 0, 0, 0},
        {"r1", "acct", "CME", nullptr, 1, 0, 0, 0, 0, 0, 0},
        {"r1", "acct", "CME", "\xc3\xa9", 1, 0, 0, 0, 0, 0, 0},
        {"r1", "acct", "", "ESZ6", 1, 0, 0, 0, 0, 0, 0},  // a required identifier may not be empty
    };
    for (const qx_route_config_t& bad : invalid) {
        EXPECT_EQ(qx_execution_engine_create(&bad, &out), QX_STATUS_INVALID_ARGUMENT);
    }
    EXPECT_EQ(out, sentinel);

    const std::string venue16(16, 'V');
    qx_route_config_t widest = c_route();
    widest.venue = venue16.c_str();
    ASSERT_EQ(qx_execution_engine_create(&widest, &out), QX_STATUS_OK);
    ASSERT_NE(out, sentinel);
    qx_execution_engine_destroy(out);
    qx_execution_engine_destroy(nullptr);
}

TEST(ExecutionExports, CreateMultiReadsEveryRecordInOrder) {
    qx_execution_engine_t* sentinel = reinterpret_cast<qx_execution_engine_t*>(0x1);
    qx_execution_engine_t* out = sentinel;
    qx_route_config_t routes[3] = {c_route("r1"), c_route("r2"), c_route("r3")};
    EXPECT_EQ(qx_execution_engine_create_multi(routes, 0, &out), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_engine_create_multi(nullptr, 3, &out), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_engine_create_multi(routes, 3, nullptr), QX_STATUS_INVALID_ARGUMENT);
    routes[2].account = nullptr;
    EXPECT_EQ(qx_execution_engine_create_multi(routes, 3, &out), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(out, sentinel);
    routes[2].account = "acct";

    // The third record is reached with the 80-byte stride; a later duplicate key wins.
    qx_route_config_t killed_r1 = c_route("r1");
    killed_r1.kill_switch = 1;
    Engine e({routes[0], routes[1], routes[2], killed_r1});
    qx_execution_event_t events[2];
    uint32_t n = 2;
    qx_order_request_t on_r3 = c_order("o-3", "r3");
    EXPECT_EQ(qx_execution_submit_order(e.h, &on_r3, events, &n), QX_STATUS_OK);
    n = 2;
    qx_order_request_t on_r1 = c_order("o-1", "r1");
    EXPECT_EQ(qx_execution_submit_order(e.h, &on_r1, events, &n), QX_STATUS_RISK_REJECTED);
}

TEST(ExecutionExports, LifecycleStatuses) {
    EXPECT_EQ(qx_execution_engine_start(nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_engine_stop(nullptr), QX_STATUS_INVALID_ARGUMENT);

    Engine e({c_route()}, /*start=*/false);
    qx_execution_event_t events[2];
    uint32_t n = 2;
    qx_order_request_t o = c_order("o-1");
    EXPECT_EQ(qx_execution_submit_order(e.h, &o, events, &n), QX_STATUS_REFUSED);
    EXPECT_EQ(n, 0u);
    n = 2;
    EXPECT_EQ(qx_execution_poll(e.h, events, &n), QX_STATUS_REFUSED);
    EXPECT_EQ(n, 0u);

    qx_execution_health_t health;
    ASSERT_EQ(qx_execution_health(e.h, &health), QX_STATUS_OK);
    EXPECT_EQ(health.connected, 0);
    EXPECT_EQ(health.connect_count, 0u);

    ASSERT_EQ(qx_execution_engine_start(e.h), QX_STATUS_OK);
    ASSERT_EQ(qx_execution_engine_start(e.h), QX_STATUS_OK);
    EXPECT_EQ(qx_execution_engine_stop(e.h), QX_STATUS_OK);  // changes nothing
    ASSERT_EQ(qx_execution_health(e.h, &health), QX_STATUS_OK);
    EXPECT_EQ(health.connected, 1);
    EXPECT_EQ(health.degraded, 0);
    EXPECT_EQ(health.connect_count, 2u);
    n = 2;
    EXPECT_EQ(qx_execution_submit_order(e.h, &o, events, &n), QX_STATUS_OK);
    EXPECT_EQ(qx_execution_health(nullptr, &health), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_health(e.h, nullptr), QX_STATUS_INVALID_ARGUMENT);
}

TEST(ExecutionExports, SubmitDeliversTheSimulatedFill) {
    Engine e({c_route()});
    auto events = sentinel_events(3);
    uint32_t n = 3;
    qx_order_request_t o = c_order("o-1");
    ASSERT_EQ(qx_execution_submit_order(e.h, &o, events.data(), &n), QX_STATUS_OK);
    ASSERT_EQ(n, 2u);
    const qx_execution_event_t& ack = events[0];
    EXPECT_EQ(ack.kind, 1u);
    EXPECT_EQ(ack.status, 2u);
    expect_field(ack.client_order_id, "o-1");
    expect_field(ack.orig_client_order_id, "");
    expect_field(ack.venue_order_id, "SIM-1");
    expect_field(ack.execution_id, "");
    expect_field(ack.account, "acct");
    expect_field(ack.route, "r1");
    expect_field(ack.venue, "CME");
    expect_field(ack.symbol, "ESZ6");
    expect_field(ack.text, "");
    EXPECT_EQ(ack.leaves_qty, 10);
    EXPECT_EQ(ack.origin_ts_ns, 7u);
    EXPECT_EQ(ack.ts_ns, 1000u);
    EXPECT_EQ(ack.reject_reason, 0u);
    const qx_execution_event_t& fill = events[1];
    EXPECT_EQ(fill.kind, 3u);
    EXPECT_EQ(fill.status, 4u);
    expect_field(fill.execution_id, "SIMX-1");
    EXPECT_EQ(fill.last_qty, 10);
    EXPECT_EQ(fill.last_price, 4500);
    EXPECT_EQ(fill.cum_qty, 10);
    EXPECT_EQ(fill.leaves_qty, 0);
    EXPECT_EQ(fill.avg_price, 4500);
    EXPECT_EQ(fill.ts_ns, 1001u);
    EXPECT_TRUE(untouched(events[2]));

    qx_execution_metrics_t m;
    ASSERT_EQ(qx_execution_metrics(e.h, &m), QX_STATUS_OK);
    EXPECT_EQ(m.orders_submitted, 1u);
    EXPECT_EQ(m.events_applied, 2u);
    EXPECT_EQ(m.cancels_sent + m.amends_sent + m.risk_rejects, 0u);
    EXPECT_EQ(qx_execution_metrics(nullptr, &m), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_metrics(e.h, nullptr), QX_STATUS_INVALID_ARGUMENT);
}

TEST(ExecutionExports, OrderRecordConversion) {
    Engine e({c_route()});
    qx_execution_event_t events[2];
    const std::string id41(41, 'x'), id40(40, 'x'), tag40(40, 't');
    struct Case {
        const char* what;
        qx_order_request_t record;
    };
    std::vector<Case> invalid;
    const auto with = [&](const char* what, auto change) {
        qx_order_request_t r = c_order("o-bad");
        change(r);
        invalid.push_back({what, r});
    };
    with("id too long", [&](auto& r) { r.client_order_id = id41.c_str(); });
    with("blank id", [](auto& r) { r.client_order_id = " \t"; });
    with("NULL account", [](auto& r) { r.account = nullptr; });
    with("non-ASCII route", [](auto& r) { r.route = "r\xc3\xa9"; });
    with("invalid UTF-8 venue", [](auto& r) { r.venue = "\xff"; });
    with("side 0", [](auto& r) { r.side = 0; });
    with("side 3", [](auto& r) { r.side = 3; });
    with("order type 5", [](auto& r) { r.order_type = 5; });
    with("time in force 0", [](auto& r) { r.time_in_force = 0; });
    with("time in force 6", [](auto& r) { r.time_in_force = 6; });
    for (const Case& c : invalid) {
        uint32_t n = 77;
        EXPECT_EQ(qx_execution_submit_order(e.h, &c.record, events, &n), QX_STATUS_INVALID_ARGUMENT)
            << c.what;
        EXPECT_EQ(n, 77u) << c.what << ": nothing written";
    }

    // Optional tags that cannot be stored become empty; a 40-character id is fine.
    const qx::exec::OrderLedger& ledger = e.h->engine.ledger();
    const char* tags[] = {tag40.c_str(), "caf\xc3\xa9", nullptr, "   "};
    int i = 0;
    for (const char* tag : tags) {
        const std::string id = std::to_string(i++) + id40.substr(0, 39);
        qx_order_request_t r = c_order(id.c_str());
        r.tag = tag;
        uint32_t n = 2;
        ASSERT_EQ(qx_execution_submit_order(e.h, &r, events, &n), QX_STATUS_OK);
        EXPECT_EQ(ledger.tag(*ClientOrderId::from_text(id)), qx::exec::OrderTag{});
    }
    qx_order_request_t spaced = c_order("o-spaced");
    spaced.tag = " ab ";
    uint32_t n = 2;
    ASSERT_EQ(qx_execution_submit_order(e.h, &spaced, events, &n), QX_STATUS_OK);
    EXPECT_EQ(ledger.tag(ClientOrderId::literal("o-spaced")), qx::exec::OrderTag::literal(" ab "));
}

TEST(ExecutionExports, SubmitStatusMapping) {
    qx_route_config_t killed = c_route("killed");
    killed.kill_switch = 1;
    Engine e({c_route(), killed});
    qx_execution_event_t events[2];
    qx_order_request_t o = c_order("o-1");
    uint32_t n = 2;
    EXPECT_EQ(qx_execution_submit_order(nullptr, &o, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_submit_order(e.h, nullptr, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_submit_order(e.h, &o, events, nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(n, 2u);

    qx_order_request_t zero_qty = c_order("o-q");
    zero_qty.quantity = 0;
    EXPECT_EQ(qx_execution_submit_order(e.h, &zero_qty, events, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(n, 0u) << "the engine ran and produced no event";
    n = 2;
    qx_order_request_t zero_limit = c_order("o-p");
    zero_limit.limit_price = 0;
    EXPECT_EQ(qx_execution_submit_order(e.h, &zero_limit, events, &n), QX_STATUS_INVALID_ARGUMENT);

    n = 2;
    qx_order_request_t unknown = c_order("o-u", "nowhere");
    EXPECT_EQ(qx_execution_submit_order(e.h, &unknown, events, &n), QX_STATUS_REFUSED);
    EXPECT_EQ(n, 0u);

    n = 2;
    qx_order_request_t on_killed = c_order("o-k", "killed");
    ASSERT_EQ(qx_execution_submit_order(e.h, &on_killed, events, &n), QX_STATUS_RISK_REJECTED);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(events[0].kind, 2u);
    EXPECT_EQ(events[0].status, 9u);
    EXPECT_EQ(events[0].reject_reason, 1u);
    expect_field(events[0].text, "kill switch active");
    EXPECT_EQ(events[0].leaves_qty, 10);

    // The copy's own failure takes precedence over the rejection.
    n = 0;
    EXPECT_EQ(qx_execution_submit_order(e.h, &on_killed, nullptr, &n), QX_STATUS_CAPACITY);
    EXPECT_EQ(n, 1u);
}

TEST(ExecutionExports, EventsThatDoNotFitAreLost) {
    Engine e({c_route()});
    qx_order_request_t o = c_order("o-1");
    uint32_t n = 0;
    EXPECT_EQ(qx_execution_submit_order(e.h, &o, nullptr, &n), QX_STATUS_CAPACITY);
    EXPECT_EQ(n, 2u);
    qx_order_state_t state;
    ASSERT_EQ(qx_execution_get_order_state(e.h, "o-1", &state), QX_STATUS_OK);
    EXPECT_EQ(state.status, 4u) << "the order was accepted and filled";

    auto events = sentinel_events(2);
    n = 1;
    qx_order_request_t o2 = c_order("o-2");
    EXPECT_EQ(qx_execution_submit_order(e.h, &o2, events.data(), &n), QX_STATUS_CAPACITY);
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(untouched(events[0])) << "a too small array is not written";

    n = 2;
    EXPECT_EQ(qx_execution_poll(e.h, events.data(), &n), QX_STATUS_OK);
    EXPECT_EQ(n, 0u) << "lost events do not come back";
    EXPECT_TRUE(untouched(events[0]));
    n = 5;
    EXPECT_EQ(qx_execution_poll(e.h, nullptr, &n), QX_STATUS_OK);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(qx_execution_poll(nullptr, nullptr, &n), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_execution_poll(e.h, nullptr, nullptr), QX_STATUS_INVALID_ARGUMENT);
}

TEST(ExecutionExports, ErrorStatusTable) {
    using qx::exec::ExecutionCoreError;
    using qx::exec::RiskRejectReason;
    const struct {
        ExecutionError error;
        qx_status_t status;
    } table[] = {
        {ExecutionError::adapter_disconnected(), QX_STATUS_REFUSED},
        {ExecutionError::event_buffer_full(), QX_STATUS_CAPACITY},
        {ExecutionError::route_not_found(), QX_STATUS_REFUSED},
        {ExecutionError::risk_rejected(RiskRejectReason::MaxOpenNotional), QX_STATUS_RISK_REJECTED},
        {ExecutionError::core_error(ExecutionCoreError::identifier_too_long(41, 40)),
         QX_STATUS_INVALID_ARGUMENT},
        {ExecutionError::core_error(ExecutionCoreError::invalid_transition()),
         QX_STATUS_INVALID_ARGUMENT},
        {ExecutionError::adapter_error("x"), QX_STATUS_UNDELIVERABLE},
        {ExecutionError::journal_error("y"), QX_STATUS_UNDELIVERABLE},
    };
    for (const auto& row : table) {
        EXPECT_EQ(qx::ffi::execution_error_status(row.error), row.status) << row.error.message();
    }
}

}  // namespace
