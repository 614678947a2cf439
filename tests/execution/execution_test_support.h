// Builders shared by the order-manager tests.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "execution/execution_engine.h"
#include "execution/in_memory_journal.h"
#include "execution/sim_execution_adapter.h"

namespace qx::exec::testing {

template <std::size_t N>
FixedAscii<N> id(const std::string& text) {
    return *FixedAscii<N>::from_text(text);
}

inline ExecutionSymbol es() {
    return {VenueCode::literal("CME"), SymbolCode::literal("ESZ6")};
}

inline RouteConfig route(const std::string& name = "r1", const std::string& account = "acct") {
    RouteConfig r;
    r.route = id<32>(name);
    r.account = id<32>(account);
    r.symbol = es();
    r.enabled = true;
    return r;
}

inline OrderRequest limit_order(const std::string& client_order_id, std::int64_t quantity = 10,
                                std::int64_t limit = 100, const std::string& route_name = "r1",
                                const std::string& account = "acct") {
    OrderRequest o;
    o.client_order_id = id<40>(client_order_id);
    o.account = id<32>(account);
    o.route = id<32>(route_name);
    o.tag = OrderTag::literal("tag-1");
    o.symbol = es();
    o.side = OrderSide::Buy;
    o.order_type = OrderType::Limit;
    o.time_in_force = TimeInForce::Day;
    o.quantity = quantity;
    o.limit_price = limit;
    o.origin_ts_ns = 7;
    o.ts_ns = 1000;
    return o;
}

inline AmendRequest amend_of(const std::string& orig, const std::string& new_id,
                             std::int64_t quantity = 10, std::int64_t price = 105) {
    AmendRequest a;
    a.client_order_id = id<40>(new_id);
    a.orig_client_order_id = id<40>(orig);
    a.venue_order_id = VenueOrderId::literal("SIM-1");
    a.account = AccountId::literal("acct");
    a.route = RouteId::literal("r1");
    a.symbol = es();
    a.new_quantity = quantity;
    a.new_price = price;
    a.ts_ns = 2000;
    return a;
}

inline CancelRequest cancel_of(const std::string& orig, const std::string& cancel_id = "c-1") {
    CancelRequest c;
    c.client_order_id = id<40>(cancel_id);
    c.orig_client_order_id = id<40>(orig);
    c.account = AccountId::literal("acct");
    c.route = RouteId::literal("r1");
    c.symbol = es();
    c.ts_ns = 3000;
    return c;
}

// An engine with the simulated venue whose adapter and journal stay reachable.
struct SimEngine {
    SimExecutionAdapter* sim = nullptr;
    InMemoryJournal* journal = nullptr;
    std::unique_ptr<ExecutionEngine> engine;
    ExecutionEventBuffer out{32};

    explicit SimEngine(std::vector<RouteConfig> routes, bool start = true) {
        auto adapter = std::make_unique<SimExecutionAdapter>();
        auto log = std::make_unique<InMemoryJournal>();
        sim = adapter.get();
        journal = log.get();
        engine = std::make_unique<ExecutionEngine>(std::move(adapter),
                                                   std::make_unique<AllowAllRiskGate>(),
                                                   std::move(log), std::move(routes));
        if (start) {
            (void)engine->start();
        }
    }

    Expected<void, ExecutionError> submit(const OrderRequest& o) {
        out.clear();
        return engine->submit(o, out);
    }
    Expected<void, ExecutionError> amend(const AmendRequest& a) {
        out.clear();
        return engine->amend(a, out);
    }
    Expected<void, ExecutionError> cancel(const CancelRequest& c) {
        out.clear();
        return engine->cancel(c, out);
    }
    Expected<std::size_t, ExecutionError> poll() {
        out.clear();
        return engine->poll(out);
    }
    const OrderState* state(const std::string& client_order_id) const {
        return engine->order_state(id<40>(client_order_id));
    }
};

// An event a venue might send on its own, for the simulated venue's pending queue.
inline ExecutionEvent venue_event(ExecutionType kind, const std::string& client_order_id,
                                  OrderStatus status = OrderStatus::Unknown) {
    ExecutionEvent e;
    e.kind = kind;
    e.status = status;
    e.client_order_id = id<40>(client_order_id);
    e.account = AccountId::literal("acct");
    e.route = RouteId::literal("r1");
    e.symbol = es();
    e.ts_ns = 5000;
    return e;
}

}  // namespace qx::exec::testing
