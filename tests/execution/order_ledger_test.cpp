// The running open-exposure totals against a full scan of the held orders, over long random
// runs of submits, cancels, amends and venue events (replaces onto held identifiers,
// adoptions, restatements that reopen terminal orders).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "execution_test_support.h"

namespace qx::exec {
namespace {

using namespace testing;

// What the totals must equal: every open order of the route, price x leaves, wrapping.
OpenExposure scan(const OrderLedger& ledger, const RouteKey& key) {
    OpenExposure e;
    ledger.for_each([&](const ClientOrderId&, const OrderState& s) {
        if (is_terminal(s.status) || s.account != key.account || s.route != key.route ||
            s.symbol != key.symbol) {
            return;
        }
        e.open_orders += 1;
        e.open_notional =
            wrapping_add(e.open_notional, widening_mul(ledger.exposure_price(s), s.leaves_qty));
    });
    return e;
}

TEST(OrderLedger, RunningTotalsEqualAFullScan) {
    const std::vector<RouteConfig> routes = {route("r1"), route("r2"), route("r1", "acct-2")};
    SimEngine e(routes);
    std::mt19937_64 rng(20240611);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto some_id = [&] { return "o-" + std::to_string(pick(40)); };
    const std::string route_names[] = {"r1", "r2"};
    const std::string accounts[] = {"acct", "acct-2"};

    int rekeyed = 0;
    for (int step = 0; step < 4000; ++step) {
        const std::string& rn = route_names[pick(2)];
        const std::string& acct = accounts[pick(2)];
        switch (pick(8)) {
            case 0:
            case 1: {
                e.sim->set_partial_fills(pick(3) != 0);
                (void)e.submit(limit_order(some_id(), 1 + pick(20),
                                           pick(5) == 0 ? -7 : 90 + pick(20), rn, acct));
                break;
            }
            case 2: {
                CancelRequest c = cancel_of(some_id());
                c.route = id<32>(rn);
                (void)e.cancel(c);
                break;
            }
            case 3:
            case 4: {
                // A replace in two steps, through the engine (the amended price applies) or
                // straight from the venue onto any identifier, held ones included.
                const std::string from = some_id(), to = some_id();
                ASSERT_TRUE(
                    e.sim->enqueue_pending(venue_event(ExecutionType::PendingReplace, from)));
                (void)e.poll();
                const bool pending =
                    e.state(from) && e.state(from)->status == OrderStatus::PendingReplace;
                if (pick(2)) {
                    (void)e.amend(amend_of(from, to, 1 + pick(20), 80 + pick(40)));
                } else {
                    ExecutionEvent v =
                        venue_event(ExecutionType::Replaced, to, OrderStatus::Replaced);
                    v.orig_client_order_id = id<40>(from);
                    v.cum_qty = pick(5);
                    v.leaves_qty = pick(10);
                    v.avg_price = 95 + pick(10);
                    ASSERT_TRUE(e.sim->enqueue_pending(v));
                    (void)e.poll();
                }
                if (pending && from != to && e.state(to) != nullptr && e.state(from) == nullptr) {
                    ++rekeyed;
                }
                break;
            }
            default: {
                // Any other venue event on its own.
                static constexpr ExecutionType kKinds[] = {
                    ExecutionType::StatusReport,   ExecutionType::Restatement,
                    ExecutionType::Trade,          ExecutionType::PendingCancel,
                    ExecutionType::CancelRejected, ExecutionType::Expired,
                    ExecutionType::Replaced,       ExecutionType::New};
                ExecutionEvent v =
                    venue_event(kKinds[pick(8)], some_id(), static_cast<OrderStatus>(1 + pick(12)));
                v.orig_client_order_id = pick(2) ? id<40>(some_id()) : ClientOrderId{};
                v.account = id<32>(acct);
                v.route = id<32>(rn);
                v.cum_qty = pick(10);
                v.leaves_qty = pick(10) - 2;
                v.avg_price = 100 + pick(10);
                ASSERT_TRUE(e.sim->enqueue_pending(v));
                (void)e.poll();
                break;
            }
        }
        for (const RouteConfig& r : routes) {
            const RouteKey key = route_key(r);
            const OpenExposure running = e.engine->ledger().open_exposure(key);
            const OpenExposure full = scan(e.engine->ledger(), key);
            ASSERT_EQ(running.open_orders, full.open_orders) << "step " << step;
            ASSERT_TRUE(running.open_notional == full.open_notional) << "step " << step;
        }
    }
    EXPECT_GT(e.engine->ledger().size(), 20u);
    EXPECT_GT(rekeyed, 20) << "the run must exercise re-keying";
}

}  // namespace
}  // namespace qx::exec
