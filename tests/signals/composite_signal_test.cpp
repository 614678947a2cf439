#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "signals/composite_signal.h"
#include "signals/leaf_signals.h"

namespace qx {
namespace {

AnalyticsSnapshot analytics(std::int64_t delta, std::int64_t cd, std::int64_t buy,
                            std::int64_t sell) {
    AnalyticsSnapshot a;
    a.delta = delta;
    a.cumulative_delta = cd;
    a.buy_volume = buy;
    a.sell_volume = sell;
    return a;
}

TEST(CompositeSignal, MajorityVote) {
    struct Case {
        const char* name;
        AnalyticsSnapshot a;
        SignalState state;
        const char* reason;
        SignalReasonCode code;
        std::int64_t long_votes, short_votes;
    };
    using S = SignalState;
    using R = SignalReasonCode;
    const Case cases[] = {
        {"all neutral", {}, S::Neutral, "composite_no_majority", R::CompositeNoMajority, 0, 0},
        {"two long, one neutral", analytics(150, 150, 200, 50), S::LongBias,
         "composite_long:delta_momentum_v1,volume_imbalance_v1", R::CompositeLongMajority, 2, 0},
        {"one long, one short", analytics(150, 0, 50, 200), S::Neutral, "composite_no_majority",
         R::CompositeNoMajority, 1, 1},
        {"three short", analytics(-300, -300, 0, 300), S::ShortBias,
         "composite_short:delta_momentum_v1,volume_imbalance_v1,cumulative_delta_v1",
         R::CompositeShortMajority, 0, 3},
        {"one short alone", analytics(0, -250, 0, 0), S::ShortBias,
         "composite_short:cumulative_delta_v1", R::CompositeShortMajority, 0, 1},
    };
    for (const Case& c : cases) {
        CompositeSignal composite = CompositeSignal::with_default_children();
        composite.on_analytics(c.a);
        const SignalSnapshot s = composite.snapshot();
        EXPECT_EQ(s.module, "composite_v1") << c.name;
        EXPECT_EQ(s.state, c.state) << c.name;
        EXPECT_EQ(s.reason, c.reason) << c.name;
        EXPECT_EQ(s.confidence_bps, 550) << c.name << ": the average over all three children";
        const SignalExplanation e = composite.explanation();
        EXPECT_EQ(e.reason_code, c.code) << c.name;
        EXPECT_EQ(e.reason, s.reason) << c.name;
        ASSERT_EQ(e.inputs.size(), 3u);
        EXPECT_EQ(e.inputs[1].value.as_integer(), c.long_votes) << c.name;
        EXPECT_EQ(e.inputs[2].value.as_integer(), c.short_votes) << c.name;
    }
}

TEST(CompositeSignal, ExplanationOfDefaultComposite) {
    const CompositeSignal composite = CompositeSignal::with_default_children();
    EXPECT_EQ(composite.explanation().to_json(),
              "{\"module_id\":\"composite_v1\",\"state\":\"neutral\",\"confidence_bps\":550,"
              "\"quality_flags\":0,\"reason_code\":\"composite_no_majority\",\"reason\":"
              "\"composite_no_majority\",\"inputs\":[{\"name\":\"module_count\",\"value\":3},"
              "{\"name\":\"long_votes\",\"value\":0},{\"name\":\"short_votes\",\"value\":0}],"
              "\"thresholds\":[],\"confidence_components\":[{\"name\":"
              "\"average_child_confidence\",\"value_bps\":550}]}");
}

TEST(CompositeSignal, WithoutChildren) {
    const CompositeSignal empty;
    EXPECT_EQ(empty.snapshot(),
              (SignalSnapshot{"composite_v1", SignalState::Neutral, 0, 0, "no_child_modules"}));
    EXPECT_FALSE(empty.quality_gate(0xFFFFFFFFu));
    const SignalExplanation e = empty.explanation();
    EXPECT_EQ(e.reason_code, SignalReasonCode::NoChildModules);
    EXPECT_EQ(e.inputs[0].value.as_integer(), 0);
    EXPECT_EQ(e.confidence_components[0].value_bps, 0);
}

TEST(CompositeSignal, NeutralChildrenPullTheAverageDown) {
    std::vector<std::unique_ptr<SignalModule>> children;
    children.push_back(std::make_unique<SweepDetectionSignal>());
    children.push_back(std::make_unique<DeltaMomentumSignal>(0));
    CompositeSignal composite(std::move(children));
    const SignalSnapshot s = composite.snapshot();
    EXPECT_EQ(s.state, SignalState::LongBias);
    EXPECT_EQ(s.reason, "composite_long:delta_momentum_v1");
    EXPECT_EQ(s.confidence_bps, (625 + 500) / 2);
}

TEST(CompositeSignal, QualityGateAsksTheChildren) {
    const CompositeSignal composite = CompositeSignal::with_default_children();
    EXPECT_TRUE(composite.quality_gate(0x20));
    EXPECT_FALSE(composite.quality_gate(0x04));
}

}  // namespace
}  // namespace qx
