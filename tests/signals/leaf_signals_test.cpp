// The six leaf rules at their boundaries, the quality gate, and the explanations.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "signals/leaf_signals.h"

namespace qx {
namespace {

using S = SignalState;

AnalyticsSnapshot flow(std::int64_t delta, std::int64_t last = 0, std::int64_t poc = 0) {
    AnalyticsSnapshot a;
    a.delta = delta;
    a.last_price = last;
    a.point_of_control = poc;
    return a;
}

AnalyticsSnapshot volumes(std::int64_t buy, std::int64_t sell) {
    AnalyticsSnapshot a;
    a.buy_volume = buy;
    a.sell_volume = sell;
    return a;
}

AnalyticsSnapshot cumulative(std::int64_t cd) {
    AnalyticsSnapshot a;
    a.cumulative_delta = cd;
    return a;
}

AnalyticsSnapshot sweep(std::int64_t delta, std::int64_t last, std::int64_t val, std::int64_t vah) {
    AnalyticsSnapshot a = flow(delta, last);
    a.value_area_low = val;
    a.value_area_high = vah;
    return a;
}

struct RuleCase {
    const char* name;
    std::function<std::unique_ptr<LeafSignal>()> make;
    AnalyticsSnapshot analytics;
    SignalState state;
    const char* reason;
    SignalReasonCode code;
};

template <typename M, typename... Args>
std::function<std::unique_ptr<LeafSignal>()> module(Args... args) {
    return [=] { return std::make_unique<M>(args...); };
}

TEST(LeafSignals, RuleTables) {
    using R = SignalReasonCode;
    const RuleCase cases[] = {
        {"delta at +T", module<DeltaMomentumSignal>(100), flow(100), S::LongBias,
         "delta_above_threshold", R::DeltaMomentumPositive},
        {"delta just inside", module<DeltaMomentumSignal>(100), flow(99), S::Neutral,
         "delta_inside_band", R::DeltaMomentumInsideBand},
        {"delta at -T", module<DeltaMomentumSignal>(100), flow(-100), S::ShortBias,
         "delta_below_threshold", R::DeltaMomentumNegative},
        {"delta -T+1", module<DeltaMomentumSignal>(100), flow(-99), S::Neutral, "delta_inside_band",
         R::DeltaMomentumInsideBand},
        {"zero threshold fires long on zero delta", module<DeltaMomentumSignal>(0), flow(0),
         S::LongBias, "delta_above_threshold", R::DeltaMomentumPositive},

        {"imbalance at +T", module<VolumeImbalanceSignal>(100), volumes(150, 50), S::LongBias,
         "buy_volume_above_threshold", R::BuyVolumeImbalance},
        {"imbalance inside", module<VolumeImbalanceSignal>(100), volumes(149, 50), S::Neutral,
         "volume_inside_band", R::VolumeInsideBand},
        {"imbalance at -T", module<VolumeImbalanceSignal>(100), volumes(50, 150), S::ShortBias,
         "sell_volume_above_threshold", R::SellVolumeImbalance},

        {"cumulative at +T", module<CumulativeDeltaSignal>(250), cumulative(250), S::LongBias,
         "cumulative_delta_above_threshold", R::CumulativeDeltaPositive},
        {"cumulative inside", module<CumulativeDeltaSignal>(250), cumulative(-249), S::Neutral,
         "cumulative_delta_inside_band", R::CumulativeDeltaInsideBand},
        {"cumulative at -T", module<CumulativeDeltaSignal>(250), cumulative(-250), S::ShortBias,
         "cumulative_delta_below_threshold", R::CumulativeDeltaNegative},

        {"absorption: price left the band", module<AbsorptionSignal>(150, 2), flow(-1000, 103, 100),
         S::Neutral, "absorption_not_detected", R::AbsorptionNotDetected},
        {"absorption: selling at the band edge", module<AbsorptionSignal>(150, 2),
         flow(-1000, 102, 100), S::LongBias, "sell_absorption_detected", R::SellAbsorptionDetected},
        {"absorption: buying below the POC", module<AbsorptionSignal>(150, 2), flow(150, 98, 100),
         S::ShortBias, "buy_absorption_detected", R::BuyAbsorptionDetected},
        {"absorption: weak flow", module<AbsorptionSignal>(150, 2), flow(149, 100, 100), S::Neutral,
         "absorption_not_detected", R::AbsorptionNotDetected},
        {"absorption: zero threshold, zero delta takes the sell step first",
         module<AbsorptionSignal>(0, 0), flow(0, 100, 100), S::LongBias, "sell_absorption_detected",
         R::SellAbsorptionDetected},

        {"exhaustion: price above the POC", module<ExhaustionSignal>(150), flow(200, 101, 100),
         S::Neutral, "exhaustion_not_detected", R::ExhaustionNotDetected},
        {"exhaustion: buying at the POC", module<ExhaustionSignal>(150), flow(200, 100, 100),
         S::ShortBias, "buy_exhaustion_detected", R::BuyExhaustionDetected},
        {"exhaustion: selling at the POC", module<ExhaustionSignal>(150), flow(-150, 100, 100),
         S::LongBias, "sell_exhaustion_detected", R::SellExhaustionDetected},
        {"exhaustion: selling below the POC", module<ExhaustionSignal>(150), flow(-150, 99, 100),
         S::Neutral, "exhaustion_not_detected", R::ExhaustionNotDetected},

        {"sweep: one tick above VAH", module<SweepDetectionSignal>(150, 1),
         sweep(150, 106, 95, 105), S::LongBias, "upside_sweep_detected", R::UpsideSweepDetected},
        {"sweep: at VAH", module<SweepDetectionSignal>(150, 1), sweep(150, 105, 95, 105),
         S::Neutral, "sweep_not_detected", R::SweepNotDetected},
        {"sweep: one tick below VAL", module<SweepDetectionSignal>(150, 1),
         sweep(-150, 94, 95, 105), S::ShortBias, "downside_sweep_detected",
         R::DownsideSweepDetected},
        {"sweep: below VAL without flow", module<SweepDetectionSignal>(150, 1),
         sweep(-149, 90, 95, 105), S::Neutral, "sweep_not_detected", R::SweepNotDetected},
    };
    for (const RuleCase& c : cases) {
        std::unique_ptr<LeafSignal> m = c.make();
        m->on_analytics(c.analytics);
        const SignalSnapshot s = m->snapshot();
        EXPECT_EQ(s.state, c.state) << c.name;
        EXPECT_EQ(s.reason, c.reason) << c.name;
        EXPECT_EQ(s.module, m->module_id()) << c.name;
        EXPECT_EQ(s.confidence_bps, m->confidence_bps()) << c.name;
        EXPECT_EQ(s.quality_flags, 0u) << c.name;
        const SignalExplanation e = m->explanation();
        EXPECT_EQ(e.reason_code, c.code) << c.name;
        EXPECT_EQ(e.state, s.state) << c.name;
        EXPECT_EQ(e.reason, s.reason) << c.name;
    }
}

TEST(LeafSignals, FreshModulesAndConfidences) {
    const DeltaMomentumSignal delta;
    EXPECT_EQ(delta.snapshot(),
              (SignalSnapshot{"delta_momentum_v1", S::Neutral, 500, 0, "delta_inside_band"}));
    EXPECT_EQ(VolumeImbalanceSignal().snapshot().confidence_bps, 550);
    EXPECT_EQ(CumulativeDeltaSignal().snapshot().confidence_bps, 600);
    EXPECT_EQ(AbsorptionSignal().snapshot().confidence_bps, 575);
    EXPECT_EQ(ExhaustionSignal().snapshot().confidence_bps, 565);
    EXPECT_EQ(SweepDetectionSignal().snapshot().confidence_bps, 625);
    // The absorption default band holds a fresh zero price, so zero flow stays neutral.
    EXPECT_EQ(AbsorptionSignal().snapshot().state, S::Neutral);
}

TEST(LeafSignals, OnAnalyticsReplacesTheWholeInput) {
    DeltaMomentumSignal m(100);
    m.on_analytics(flow(500));
    EXPECT_EQ(m.snapshot().state, S::LongBias);
    m.on_analytics(AnalyticsSnapshot{});
    EXPECT_EQ(m.snapshot().state, S::Neutral);
    EXPECT_EQ(m.analytics(), AnalyticsSnapshot{});
}

TEST(LeafSignals, QualityGateBlocksOnTheMask) {
    const DeltaMomentumSignal m;
    for (std::uint32_t flags : {0x00u, 0x04u, 0x08u, 0x0Cu, 0x40u}) {
        EXPECT_FALSE(m.quality_gate(flags)) << flags;
    }
    for (std::uint32_t flags : {0x01u, 0x02u, 0x10u, 0x20u, 0x3Fu, 0xFFFFFFFFu}) {
        EXPECT_TRUE(m.quality_gate(flags)) << flags;
    }
}

TEST(LeafSignals, ExplanationDocuments) {
    DeltaMomentumSignal delta(100);
    EXPECT_EQ(delta.explanation().to_json(),
              "{\"module_id\":\"delta_momentum_v1\",\"state\":\"neutral\",\"confidence_bps\":500,"
              "\"quality_flags\":0,\"reason_code\":\"delta_momentum_inside_band\",\"reason\":"
              "\"delta_inside_band\",\"inputs\":[{\"name\":\"delta\",\"value\":0}],"
              "\"thresholds\":[{\"name\":\"threshold\",\"value\":100}],"
              "\"confidence_components\":[{\"name\":\"base_confidence\",\"value_bps\":500}]}");
    delta.on_analytics(flow(-100));
    const SignalExplanation e = *delta.latest_explanation();
    EXPECT_EQ(e.state, S::ShortBias);
    EXPECT_EQ(signal_reason_code_text(e.reason_code), "delta_momentum_negative");
    EXPECT_EQ(e.reason, "delta_below_threshold");

    AbsorptionSignal absorption(150, 2);
    absorption.on_analytics(flow(-1000, 102, 100));
    EXPECT_EQ(absorption.explanation().to_json(),
              "{\"module_id\":\"absorption_v1\",\"state\":\"long_bias\",\"confidence_bps\":575,"
              "\"quality_flags\":0,\"reason_code\":\"sell_absorption_detected\",\"reason\":"
              "\"sell_absorption_detected\",\"inputs\":[{\"name\":\"delta\",\"value\":-1000},"
              "{\"name\":\"last_price\",\"value\":102},{\"name\":\"point_of_control\",\"value\":"
              "100},{\"name\":\"poc_distance\",\"value\":2}],\"thresholds\":[{\"name\":"
              "\"threshold\",\"value\":150},{\"name\":\"price_band\",\"value\":2}],"
              "\"confidence_components\":[{\"name\":\"base_confidence\",\"value_bps\":575}]}");

    VolumeImbalanceSignal imbalance;
    imbalance.on_analytics(volumes(50, 200));
    const SignalExplanation ie = imbalance.explanation();
    ASSERT_EQ(ie.inputs.size(), 3u);
    EXPECT_EQ(ie.inputs[0].name, "buy_volume");
    EXPECT_EQ(ie.inputs[1].name, "sell_volume");
    EXPECT_EQ(ie.inputs[2].name, "imbalance");
    EXPECT_EQ(ie.inputs[2].value.as_integer(), -150);

    ExhaustionSignal exhaustion;
    exhaustion.on_analytics(flow(-200, 100, 100));
    const SignalExplanation ee = exhaustion.explanation();
    EXPECT_EQ(ee.reason_code, SignalReasonCode::SellExhaustionDetected);
    ASSERT_EQ(ee.inputs.size(), 3u);
    EXPECT_EQ(ee.inputs[2].name, "point_of_control");

    SweepDetectionSignal sw(150, 3);
    sw.on_analytics(sweep(0, 100, 95, 105));
    const SignalExplanation se = sw.explanation();
    ASSERT_EQ(se.inputs.size(), 4u);
    EXPECT_EQ(se.inputs[2].name, "value_area_high");
    EXPECT_EQ(se.inputs[3].value.as_integer(), 95);
    ASSERT_EQ(se.thresholds.size(), 2u);
    EXPECT_EQ(se.thresholds[1].name, "breakout_ticks");
    EXPECT_EQ(se.thresholds[1].value.as_integer(), 3);

    CumulativeDeltaSignal cd;
    const SignalExplanation ce = cd.explanation();
    ASSERT_EQ(ce.inputs.size(), 1u);
    EXPECT_EQ(ce.inputs[0].name, "cumulative_delta");
    EXPECT_EQ(ce.thresholds[0].value.as_integer(), 250);
}

TEST(LeafSignals, ReusedOutputsAreFullyRewritten) {
    SignalSnapshot s{"stale", S::Blocked, 1, 32, "blocked_by_quality_gate"};
    SignalExplanation e = SignalExplanation::from_snapshot(s, SignalReasonCode::QualityBlocked);
    e.inputs.push_back({"x", SignalParameterValue::integer(1)});
    std::string json = "old text";

    const DeltaMomentumSignal m;
    m.snapshot_into(s);
    m.explain_into(e);
    json.clear();
    e.append_json(json);
    EXPECT_EQ(s, m.snapshot());
    EXPECT_EQ(json, m.explanation().to_json());
}

TEST(SignalExplanation, FromBlockedSnapshot) {
    const SignalSnapshot blocked{"delta_momentum_v1", S::Blocked, 500, 33,
                                 "blocked_by_quality_gate"};
    EXPECT_EQ(SignalExplanation::from_snapshot(blocked, SignalReasonCode::QualityBlocked).to_json(),
              "{\"module_id\":\"delta_momentum_v1\",\"state\":\"blocked\",\"confidence_bps\":500,"
              "\"quality_flags\":33,\"reason_code\":\"quality_blocked\",\"reason\":"
              "\"blocked_by_quality_gate\",\"inputs\":[],\"thresholds\":[],"
              "\"confidence_components\":[]}");
}

}  // namespace
}  // namespace qx
