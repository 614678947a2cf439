// The per-trade chain the engine runs (classify, derive inputs, accumulate, evaluate the live
// signal, refresh the cached explanation text) allocates nothing once its storage is warm.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "core/analytics_accumulator.h"
#include "core/trade_classifier.h"
#include "core/trade_inputs.h"
#include "signals/leaf_signals.h"

// ThreadSanitizer links its own global operator new, which cannot be replaced a second time;
// that build only runs the concurrent tests, so the counting is left out there.
#if defined(__SANITIZE_THREAD__)
#define QX_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QX_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef QX_COUNT_ALLOCATIONS
#define QX_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
}  // namespace

#if QX_COUNT_ALLOCATIONS

// Global replacements that count allocations while the flag is set. Both sides go through
// malloc and free so every allocator (sanitizers included) sees matching pairs.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#endif

namespace qx {
namespace {

TEST(SteadyState, PerTradeChainDoesNotAllocate) {
    if (!QX_COUNT_ALLOCATIONS) {
        GTEST_SKIP() << "allocations are not counted in this build";
    }
    AnalyticsAccumulator acc;
    TradeClassifier classifier;
    DeltaMomentumSignal signal(100);
    SignalSnapshot stored;
    SignalExplanation scratch;
    std::string explanation_text;
    std::int64_t checksum = 0;

    auto one_trade = [&](std::uint64_t i) {
        const std::int64_t price = 1000 + static_cast<std::int64_t>((i * 7919) % 400);
        const std::int64_t size = 1 + static_cast<std::int64_t>(i % 13);
        const TradeDirection d = classifier.classify(price, size, price - 1, price + 1);
        const TradeInputs in = derive_trade_inputs(d, price, size, &acc);
        acc.on_trade(price, size, i % 3 == 0 ? Side::Bid : Side::Ask, i);
        signal.on_analytics(acc.snapshot());
        signal.snapshot_into(stored);
        if (i % 5 == 0) {  // now and then the quality gate blocks
            stored.state = SignalState::Blocked;
            stored.reason.assign("blocked_by_quality_gate");
            scratch.assign_from_snapshot(stored, SignalReasonCode::QualityBlocked);
        } else {
            signal.explain_into(scratch);
        }
        explanation_text.clear();
        scratch.append_json(explanation_text);
        checksum += in.trade_delta + static_cast<std::int64_t>(explanation_text.size());
    };

    std::uint64_t i = 0;
    for (; i < RecentTrades::kDefaultCapacity + 5000; ++i) {
        one_trade(i);
    }
    g_allocations = 0;
    g_counting = true;
    for (std::uint64_t end = i + 20000; i < end; ++i) {
        one_trade(i);
    }
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_NE(checksum, 0);
}

}  // namespace
}  // namespace qx
