// Host-push ingest through the C interface: book updates and trades on a 10-level book, with
// 1, 100 and 10,000 instruments interleaved, and a poll of 1,000 queued events. No callbacks,
// no persistence.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "adapters/mock_adapter.h"
#include "ffi/support/engine_handle.h"
#include "qx/qx.h"

namespace {

struct BenchEngine {
    std::string dir;
    qx_engine_t* engine = nullptr;
    std::vector<std::string> symbols;

    explicit BenchEngine(std::size_t instruments) {
        char tmpl[] = "/tmp/qx-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
        const std::string config = dir + "/c.json";
        std::ofstream(config) << "{\"audit_log_path\":\"" << dir << "/audit.log\"}";
        qx_engine_config_t c{};
        c.config_path = config.c_str();
        qx_engine_create(&c, &engine);
        qx_engine_start(engine);
        for (std::size_t i = 0; i < instruments; ++i) {
            symbols.push_back("SYM" + std::to_string(i));
        }
        // A 10-level book per instrument.
        for (const std::string& s : symbols) {
            for (uint16_t level = 0; level < 10; ++level) {
                push_book(s, 0, level, 1000 - level, 50);
                push_book(s, 1, level, 1001 + level, 50);
            }
        }
    }
    ~BenchEngine() {
        qx_engine_destroy(engine);
        std::filesystem::remove_all(dir);
    }
    void push_book(const std::string& s, uint32_t side, uint16_t level, int64_t price,
                   int64_t size) {
        const qx_book_update_t u{{"BENCH", s.c_str(), 0}, side, level, price, size, 0, 0, 1, 2};
        qx_ingest_book(engine, &u, 0);
    }
};

void BM_BookUpdate(benchmark::State& state) {
    BenchEngine b(static_cast<std::size_t>(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& s = b.symbols[i % b.symbols.size()];
        const qx_book_update_t u{{"BENCH", s.c_str(), 0},
                                 static_cast<uint32_t>(i & 1),
                                 static_cast<uint16_t>(i % 10),
                                 1000,
                                 static_cast<int64_t>(i % 90 + 10),
                                 0,
                                 0,
                                 1,
                                 2};
        benchmark::DoNotOptimize(qx_ingest_book(b.engine, &u, 0));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BookUpdate)->Arg(1)->Arg(100)->Arg(10000);

void BM_Trade(benchmark::State& state) {
    BenchEngine b(static_cast<std::size_t>(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& s = b.symbols[i % b.symbols.size()];
        const qx_trade_t t{{"BENCH", s.c_str(), 0},
                           1000 + static_cast<int64_t>(i % 3),
                           5,
                           static_cast<uint32_t>(i & 1),
                           0,
                           1,
                           2};
        benchmark::DoNotOptimize(qx_ingest_trade(b.engine, &t, 0));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Trade)->Arg(1)->Arg(100)->Arg(10000);

// The same trades with the market-data write-ahead log configured (sync never); the writer is
// flushed outside the timed region whenever half its queue may be in use.
void BM_TradeWithWal(benchmark::State& state) {
    BenchEngine b(1);
    const std::string root = b.dir + "/wal";
    qx_market_data_wal_config_t wal{};
    wal.root_dir = root.c_str();
    wal.sync_mode = 1;
    wal.queue_capacity = 1u << 16;
    qx_configure_market_data_wal(b.engine, &wal);
    std::size_t i = 0;
    for (auto _ : state) {
        const qx_trade_t t{{"BENCH", b.symbols[0].c_str(), 0},
                           1000 + static_cast<int64_t>(i % 3),
                           5,
                           static_cast<uint32_t>(i & 1),
                           0,
                           1,
                           2};
        benchmark::DoNotOptimize(qx_ingest_trade(b.engine, &t, 0));
        if (++i % 16384 == 0) {
            state.PauseTiming();
            qx_flush_market_data_wal(b.engine);
            state.ResumeTiming();
        }
    }
    qx_shutdown_market_data_wal(b.engine);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TradeWithWal);

void BM_Poll1000(benchmark::State& state) {
    BenchEngine b(10);
    auto& mock = static_cast<qx::MockAdapter&>(b.engine->engine->adapter_for_testing());
    std::vector<qx::RawEvent> events;
    for (int i = 0; i < 1000; ++i) {
        qx::TradePrint t;
        t.symbol = {"BENCH", b.symbols[static_cast<std::size_t>(i) % 10]};
        t.price = 1000 + i % 3;
        t.size = 5;
        t.aggressor = i % 2 ? qx::Side::Ask : qx::Side::Bid;
        events.push_back(qx::RawEvent::trade(t));
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& e : events) {
            mock.queue_event(e);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(qx_engine_poll_once(b.engine, 0));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Poll1000);

}  // namespace
