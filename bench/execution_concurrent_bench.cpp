// Throughput of the worker-thread execution engine driven from one host thread through the C
// entry points: the host queues commands and drains their reports (events copied out), the
// worker runs them on the engine with the simulated venue. Each iteration is a batch of
// kBatch commands, all queued and all reported; when the command queue is full the host
// drains reports before queuing more. items_per_second is commands per second.
//
// Submits grow the engine's order book and in-memory journal (about 1.3 KB per order), so the
// engine is rebuilt (untimed) every kBatchesPerEngine batches; polls leave it unchanged. On a
// virtual machine the first touch of the journal's new pages dominates the worker's time, so
// submits are measured twice: with the allocator's defaults (freed memory goes back to the
// system, every rebuilt engine faults its pages in again: "heap:cold"), and with a host that
// keeps its heap ("heap:kept", set with mallopt; process-wide, so it runs last).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <thread>

#include "qx/qx.h"

namespace {

constexpr int kBatch = 1000;
constexpr int kBatchesPerEngine = 10;

qx_concurrent_execution_engine_t* make_engine() {
    static const qx_route_config_t route = {
        "bench-route", "bench-account", "SIMX", "ESZ6", 1, 0, 1'000'000, 0, 0, 0, 1'000};
    qx_concurrent_execution_engine_t* engine = nullptr;
    if (qx_execution_concurrent_engine_create_multi(&route, 1, nullptr, &engine) != QX_STATUS_OK) {
        return nullptr;
    }
    return engine;
}

// Takes every waiting report; returns how many were taken.
int drain(qx_concurrent_execution_engine_t* engine) {
    qx_execution_command_report_t report;
    qx_execution_event_t events[4];
    int taken = 0;
    while (true) {
        uint32_t count = 4;
        const qx_status_t st =
            qx_execution_concurrent_try_recv_report(engine, &report, events, &count);
        if (st != QX_STATUS_OK) {
            return taken;
        }
        benchmark::DoNotOptimize(events[0].kind);
        ++taken;
    }
}

template <typename Queue>
void run_batches(benchmark::State& state, Queue queue_one) {
    qx_concurrent_execution_engine_t* engine = make_engine();
    if (engine == nullptr) {
        state.SkipWithError("engine creation failed");
        return;
    }
    std::uint64_t n = 0;
    int batches = 0;
    for (auto _ : state) {
        int reported = 0;
        for (int i = 0; i < kBatch;) {
            const qx_status_t st = queue_one(engine, n);
            if (st == QX_STATUS_OK) {
                ++i;
                ++n;
            } else if (st == QX_STATUS_CAPACITY) {
                const int taken = drain(engine);
                if (taken == 0) {
                    std::this_thread::yield();  // the worker is busy: leave it the core
                }
                reported += taken;
            } else {
                state.SkipWithError("queuing failed");
                break;
            }
        }
        while (reported < kBatch) {
            const int taken = drain(engine);
            if (taken == 0) {
                std::this_thread::yield();
            }
            reported += taken;
        }
        if (++batches == kBatchesPerEngine) {
            state.PauseTiming();
            qx_execution_concurrent_engine_destroy(engine);
            engine = make_engine();
            batches = 0;
            state.ResumeTiming();
        }
    }
    qx_execution_concurrent_engine_destroy(engine);
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_ConcurrentSubmitLimitOrders(benchmark::State& state) {
    char id[32];
    qx_order_request_t order = {
        id, "bench-account", "bench-route", nullptr, "SIMX", "ESZ6", 1, 2, 1, 10, 4500, 0, 0, 1000};
    run_batches(state, [&](qx_concurrent_execution_engine_t* engine, std::uint64_t n) {
        std::snprintf(id, sizeof id, "bench-%llu", static_cast<unsigned long long>(n));
        return qx_execution_concurrent_submit_order(engine, &order, nullptr);
    });
}

void BM_ConcurrentSubmitLimitOrdersKeptHeap(benchmark::State& state) {
    static const bool kept = [] {
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        return true;
    }();
    benchmark::DoNotOptimize(kept);
    BM_ConcurrentSubmitLimitOrders(state);
}

void BM_ConcurrentPoll(benchmark::State& state) {
    run_batches(state, [](qx_concurrent_execution_engine_t* engine, std::uint64_t) {
        return qx_execution_concurrent_poll(engine, nullptr);
    });
}

BENCHMARK(BM_ConcurrentSubmitLimitOrders)
    ->Name("BM_ConcurrentSubmitLimitOrders/heap:cold")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_ConcurrentPoll)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_ConcurrentSubmitLimitOrdersKeptHeap)
    ->Name("BM_ConcurrentSubmitLimitOrders/heap:kept")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

}  // namespace
