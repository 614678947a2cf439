// The per-trade chain the engine runs (classify, derive inputs, accumulate, evaluate the live
// signal, refresh the cached explanation text) allocates nothing once its storage is warm.
#include <gtest/gtest.h>

#include <string>

#include "core/analytics_accumulator.h"
#include "core/trade_classifier.h"
#include "core/trade_inputs.h"
#include "signals/leaf_signals.h"

#include "helpers/counting_allocator.h"

namespace qx {
namespace {

TEST(SteadyState, PerTradeChainDoesNotAllocate) {
    if (!testing::kAllocationsCounted) {
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
    long allocations = 0;
    {
        testing::CountAllocations counter;
        for (std::uint64_t end = i + 20000; i < end; ++i) {
            one_trade(i);
        }
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_NE(checksum, 0);
}

}  // namespace
}  // namespace qx
