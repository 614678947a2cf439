// Submit of a limit order through the order manager with the simulated venue: validation,
// route lookup, risk checks, journal append, the venue's New and Trade events applied,
// journaled and delivered. Measured with 100 and with 10,000 orders already held, the held
// orders either filled (the simulated venue's normal outcome) or left open by partial fills,
// so they count towards the route's open-order and open-notional limits.
//
// Each timed sample is a batch of kBatch submits; the engine is rebuilt (untimed) whenever the
// held count has grown by a tenth, so the figures stay close to the nominal held count. The
// "median_ns" counter is the median of the per-submit time over all batches.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "execution/execution_engine.h"
#include "execution/in_memory_journal.h"
#include "execution/sim_execution_adapter.h"
#include "qx/qx.h"

namespace {

using namespace qx::exec;

constexpr int kBatch = 10;

RouteConfig bench_route() {
    RouteConfig r;
    r.route = RouteId::literal("bench-route");
    r.account = AccountId::literal("bench-account");
    r.symbol = {VenueCode::literal("SIMX"), SymbolCode::literal("ESZ6")};
    r.enabled = true;
    // Limits that are checked but never reached.
    r.max_order_qty = 1'000'000;
    r.max_order_notional = qx::Int128{1} << 100;
    r.max_open_orders = 4'000'000;
    r.max_open_notional = qx::Int128{1} << 110;
    r.price_band = 1'000;
    return r;
}

OrderRequest limit_order(std::uint64_t n) {
    OrderRequest o;
    const std::string id = "bench-" + std::to_string(n);
    o.client_order_id = *ClientOrderId::from_text(id);
    o.account = AccountId::literal("bench-account");
    o.route = RouteId::literal("bench-route");
    o.tag = OrderTag::literal("bench");
    o.symbol = {VenueCode::literal("SIMX"), SymbolCode::literal("ESZ6")};
    o.side = OrderSide::Buy;
    o.order_type = OrderType::Limit;
    o.time_in_force = TimeInForce::Day;
    o.quantity = 10;
    o.limit_price = 4'500 + static_cast<std::int64_t>(n % 7);
    o.ts_ns = 1'000 + n;
    return o;
}

struct Fixture {
    std::unique_ptr<ExecutionEngine> engine;
    SimExecutionAdapter* sim = nullptr;
    std::uint64_t next_id = 0;
};

Fixture build(std::int64_t held, bool held_open) {
    Fixture f;
    auto sim = std::make_unique<SimExecutionAdapter>();
    f.sim = sim.get();
    f.engine = std::make_unique<ExecutionEngine>(
        std::move(sim), std::make_unique<AllowAllRiskGate>(), std::make_unique<InMemoryJournal>(),
        std::vector<RouteConfig>{bench_route()});
    (void)f.engine->start();
    f.sim->set_partial_fills(held_open);
    ExecutionEventBuffer out(32);
    for (std::int64_t i = 0; i < held; ++i) {
        out.clear();
        (void)f.engine->submit(limit_order(f.next_id++), out);
    }
    f.sim->set_partial_fills(false);
    return f;
}

void BM_SubmitLimitOrder(benchmark::State& state) {
    const std::int64_t held = state.range(0);
    const bool held_open = state.range(1) != 0;
    const std::int64_t window = std::max<std::int64_t>(held / 10, kBatch);
    Fixture f = build(held, held_open);
    std::int64_t grown = 0;
    ExecutionEventBuffer out(32);
    std::vector<double> samples;
    for (auto _ : state) {
        if (grown >= window) {
            f = build(held, held_open);
            grown = 0;
        }
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < kBatch; ++i) {
            out.clear();
            auto r = f.engine->submit(limit_order(f.next_id++), out);
            benchmark::DoNotOptimize(r);
        }
        const auto end = std::chrono::steady_clock::now();
        const double per_submit = std::chrono::duration<double>(end - begin).count() / kBatch;
        state.SetIterationTime(per_submit);
        samples.push_back(per_submit);
        grown += kBatch;
        if (out.size() != 2) {
            state.SkipWithError("expected two events per submit");
            break;
        }
    }
    if (!samples.empty()) {
        std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
        state.counters["median_ns"] = samples[samples.size() / 2] * 1e9;
    }
    state.counters["held"] = static_cast<double>(held);
}
BENCHMARK(BM_SubmitLimitOrder)
    ->ArgNames({"held", "held_open"})
    ->Args({100, 0})
    ->Args({10'000, 0})
    ->Args({100, 1})
    ->Args({10'000, 1})
    ->UseManualTime()
    ->Iterations(20'000)  // 200,000 submits; rebuilding the held orders dominates the run time
    ->Unit(benchmark::kNanosecond);

// The same submit through the C entry point, record conversion and event copy included. The
// engine is replaced (untimed) every kCEngineOrders submits so it holds at most that many.
constexpr std::uint64_t kCEngineOrders = 1'000;

void BM_SubmitLimitOrderFromC(benchmark::State& state) {
    const qx_route_config_t route{
        "bench-route", "bench-account", "SIMX", "ESZ6", 1, 0, 0, 0, 0, 0, 0};
    qx_execution_engine_t* engine = nullptr;
    const auto fresh_engine = [&] {
        qx_execution_engine_destroy(engine);
        engine = nullptr;
        return qx_execution_engine_create(&route, &engine) == QX_STATUS_OK &&
               qx_execution_engine_start(engine) == QX_STATUS_OK;
    };
    if (!fresh_engine()) {
        state.SkipWithError("engine creation failed");
        return;
    }
    std::uint64_t n = 0;
    std::string id;
    qx_execution_event_t events[2];
    for (auto _ : state) {
        if (n % kCEngineOrders == kCEngineOrders - 1) {
            state.PauseTiming();
            (void)fresh_engine();
            state.ResumeTiming();
        }
        id = "c-" + std::to_string(n++);
        const qx_order_request_t order{id.c_str(),
                                       "bench-account",
                                       "bench-route",
                                       "bench",
                                       "SIMX",
                                       "ESZ6",
                                       1,
                                       2,
                                       1,
                                       10,
                                       4'500,
                                       0,
                                       0,
                                       n};
        std::uint32_t count = 2;
        benchmark::DoNotOptimize(qx_execution_submit_order(engine, &order, events, &count));
    }
    qx_execution_engine_destroy(engine);
}
BENCHMARK(BM_SubmitLimitOrderFromC)->Unit(benchmark::kNanosecond);

}  // namespace
