// Cost of one JSON-lines append, which lists the store's stream files after every line, as
// the number of instruments under the root grows; and of one audit-log append.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "persist/rolling_store.h"
#include "runtime/engine/audit_events.h"
#include "runtime/engine/audit_log.h"

namespace {

std::string scratch_dir() {
    std::string tmpl = "/tmp/qx-bench-XXXXXX";
    return ::mkdtemp(tmpl.data()) != nullptr ? tmpl : std::string();
}

qx::TradePrint trade_for(int instrument) {
    qx::TradePrint t;
    t.symbol = {"BENCH", "S" + std::to_string(instrument)};
    t.price = 101;
    t.size = 3;
    t.sequence = 1;
    return t;
}

void BM_RollingStoreAppendTrade(benchmark::State& state) {
    const std::string root = scratch_dir();
    const int instruments = static_cast<int>(state.range(0));
    qx::persist::RollingStore store(root, qx::persist::RetentionPolicy{1ULL << 40, 86400});
    for (int i = 0; i < instruments; ++i) {
        (void)store.append_trade(trade_for(i));
    }
    const qx::TradePrint t = trade_for(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.append_trade(t));
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_RollingStoreAppendTrade)->Arg(1)->Arg(10)->Arg(100);

void BM_RollingStoreAppendNoRetention(benchmark::State& state) {
    const std::string root = scratch_dir();
    qx::persist::RollingStore store(root, std::nullopt);
    const qx::TradePrint t = trade_for(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.append_trade(t));
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_RollingStoreAppendNoRetention);

void BM_AuditLogAppend(benchmark::State& state) {
    const std::string dir = scratch_dir();
    const qx::AuditLog log(dir + "/audit.log", {"secret", "password", "token", "api_key"}, 10485760,
                           5);
    const std::string details = qx::audit_signal_blocked_details({"CME", "ESZ5"}, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(log.append(qx::kAuditSignalBlocked, details));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AuditLogAppend);

}  // namespace
