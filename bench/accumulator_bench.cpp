// Cost of AnalyticsAccumulator::on_trade on a session whose volume profile holds a given number
// of distinct prices. Trades are drawn around a mid that wanders inside that price range, so the
// profile keeps its size while its shape, point of control and value area keep moving. The
// accumulator is warmed up past the recent-trade bound first, so the measured trades run in the
// steady state (full ring, no new prices).
//
// Arguments: distinct prices, then the value-area method: 0 the library's default choice,
// 1 always the direct walk, 2 always the tree search.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/analytics_accumulator.h"

namespace {

struct Trade {
    std::int64_t price;
    std::int64_t size;
    qx::Side aggressor;
};

constexpr std::int64_t kBase = 100000;

// The mid follows a mean-reverting random walk around the centre of the range (spread about a
// tenth of the range); each trade lands around the mid (spread a twentieth of the range) and is
// reflected back into the range, so the profile is a moving, noisy hump with thin tails.
std::vector<Trade> trade_stream(std::int64_t distinct, std::size_t count, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> unit(0, 1);
    std::uniform_int_distribution<std::int64_t> size(1, 20);
    const double range = static_cast<double>(distinct);
    const double reversion = 0.001;
    const double mid_step = range / 10 * std::sqrt(2 * reversion);
    double mid = 0;  // offset from the centre
    std::vector<Trade> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        mid += -reversion * mid + mid_step * unit(rng);
        std::int64_t offset = std::llround(range / 2 + mid + range / 20 * unit(rng));
        if (offset < 0) {
            offset = -offset;
        }
        if (offset >= distinct) {
            offset = 2 * (distinct - 1) - offset;
        }
        offset = std::clamp<std::int64_t>(offset, 0, distinct - 1);
        out.push_back({kBase + offset, size(rng), rng() % 2 ? qx::Side::Ask : qx::Side::Bid});
    }
    return out;
}

void BM_OnTrade(benchmark::State& state) {
    const auto distinct = static_cast<std::int64_t>(state.range(0));
    const qx::VolumeProfile::Tuning tuning = state.range(1) == 1   ? qx::VolumeProfile::kAlwaysWalk
                                             : state.range(1) == 2 ? qx::VolumeProfile::kAlwaysTree
                                                                   : qx::VolumeProfile::Tuning{};
    qx::AnalyticsAccumulator acc(qx::RecentTrades::kDefaultCapacity, tuning);
    // Every price once, so the profile has exactly `distinct` prices from the start.
    for (std::int64_t p = kBase; p < kBase + distinct; ++p) {
        acc.on_trade(p, 1, qx::Side::Ask, 0);
    }
    const std::vector<Trade> stream = trade_stream(distinct, 1 << 16, 42);
    std::uint64_t ts = 1;
    for (std::size_t i = 0; i < 2 * qx::RecentTrades::kDefaultCapacity; ++i) {
        const Trade& t = stream[i % stream.size()];
        acc.on_trade(t.price, t.size, t.aggressor, ts++);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const Trade& t = stream[i];
        i = (i + 1) & (stream.size() - 1);
        acc.on_trade(t.price, t.size, t.aggressor, ts++);
        benchmark::DoNotOptimize(acc.value_area_high());
    }
    if (acc.profile().distinct_prices() != static_cast<std::size_t>(distinct)) {
        state.SkipWithError("profile size changed during the run");
    }
    state.counters["va_width"] =
        static_cast<double>(acc.value_area_high() - acc.value_area_low() + 1);
}

BENCHMARK(BM_OnTrade)
    ->ArgNames({"prices", "method"})
    ->Args({100, 0})
    ->Args({10000, 0})
    // Each method on its own, for comparison.
    ->ArgsProduct({{100, 1000, 3000, 10000}, {1, 2}});

}  // namespace
