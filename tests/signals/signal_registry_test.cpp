#include <gtest/gtest.h>

#include <string>

#include "signals/built_in_signals.h"
#include "signals/composite_signal.h"
#include "signals/leaf_signals.h"
#include "signals/signal_registry.h"

namespace qx {
namespace {

using V = SignalParameterValue;

SignalConfig config(std::string id, std::vector<SignalConfigParameter> parameters = {}) {
    return {std::move(id), std::move(parameters)};
}

TEST(SignalRegistry, ErrorMessages) {
    const SignalRegistry registry = SignalRegistry::with_built_ins();
    struct Case {
        SignalConfig config;
        const char* message;
    };
    const Case cases[] = {
        {config("nope"), "unknown signal id `nope`"},
        {config("Delta_momentum_v1"), "unknown signal id `Delta_momentum_v1`"},
        {config("delta_momentum_v1", {{"threshold", V::integer(5)}, {"threshold", V::integer(6)}}),
         "duplicate parameter `threshold` for signal `delta_momentum_v1`"},
        {config("delta_momentum_v1", {{"window", V::integer(5)}}),
         "unknown parameter `window` for signal `delta_momentum_v1`"},
        {config("composite_v1", {{"threshold", V::integer(5)}}),
         "unknown parameter `threshold` for signal `composite_v1`"},
        {config("delta_momentum_v1", {{"threshold", V::floating(100.0)}}),
         "invalid parameter type for `delta_momentum_v1.threshold`: expected Integer, got Float"},
        {config("absorption_v1", {{"price_band", V::text("2")}}),
         "invalid parameter type for `absorption_v1.price_band`: expected Integer, got Text"},
        {config("sweep_detection_v1", {{"breakout_ticks", V::boolean(true)}}),
         "invalid parameter type for `sweep_detection_v1.breakout_ticks`: expected Integer, got "
         "Boolean"},
        {config("delta_momentum_v1", {{"threshold", V::integer(-1)}}),
         "parameter `delta_momentum_v1.threshold` is below the descriptor minimum"},
        // The first failing parameter ends validation.
        {config("absorption_v1", {{"threshold", V::integer(-5)}, {"bogus", V::integer(1)}}),
         "parameter `absorption_v1.threshold` is below the descriptor minimum"},
    };
    for (const Case& c : cases) {
        const auto valid = registry.validate_config(c.config);
        ASSERT_FALSE(valid) << c.message;
        EXPECT_EQ(valid.error().message(), c.message);
        const auto created = registry.create_signal(c.config);
        ASSERT_FALSE(created) << c.message;
        EXPECT_EQ(created.error().message(), c.message);
    }
}

TEST(SignalRegistry, BoundsMissingFactoryAndFloatMaximum) {
    SignalDescriptor d;
    d.id = "bounded_v1";
    d.parameters.push_back({"ratio", "", SignalParameterKind::Float, V::floating(0.5),
                            V::floating(0.0), V::floating(1.0)});
    d.parameters.push_back(
        {"count", "", SignalParameterKind::Integer, std::nullopt, std::nullopt, V::integer(10)});
    SignalRegistry registry;
    registry.add(d, nullptr);
    EXPECT_TRUE(registry.validate_config(config("bounded_v1", {{"ratio", V::floating(1.0)}})));
    EXPECT_EQ(registry.validate_config(config("bounded_v1", {{"ratio", V::floating(1.5)}}))
                  .error()
                  .message(),
              "parameter `bounded_v1.ratio` is above the descriptor maximum");
    EXPECT_EQ(registry.validate_config(config("bounded_v1", {{"ratio", V::floating(-0.1)}}))
                  .error()
                  .message(),
              "parameter `bounded_v1.ratio` is below the descriptor minimum");
    EXPECT_EQ(registry.validate_config(config("bounded_v1", {{"count", V::integer(11)}}))
                  .error()
                  .message(),
              "parameter `bounded_v1.count` is above the descriptor maximum");
    EXPECT_EQ(registry.create_signal(config("bounded_v1")).error().message(),
              "signal `bounded_v1` has no construction factory");
}

TEST(SignalRegistry, CreatesModulesWithDefaultsAndSuppliedValues) {
    const SignalRegistry registry = SignalRegistry::with_built_ins();
    ASSERT_EQ(registry.entries().size(), 7u);

    auto delta = registry.create_signal(config("delta_momentum_v1"));
    ASSERT_TRUE(delta);
    EXPECT_EQ(dynamic_cast<DeltaMomentumSignal&>(**delta).threshold(), 100);

    auto absorption =
        registry.create_signal(config("absorption_v1", {{"price_band", V::integer(7)}}));
    ASSERT_TRUE(absorption);
    auto& a = dynamic_cast<AbsorptionSignal&>(**absorption);
    EXPECT_EQ(a.threshold(), 150);
    EXPECT_EQ(a.price_band(), 7);

    auto sweep = registry.create_signal(config(
        "sweep_detection_v1", {{"breakout_ticks", V::integer(4)}, {"threshold", V::integer(0)}}));
    ASSERT_TRUE(sweep);
    EXPECT_EQ(dynamic_cast<SweepDetectionSignal&>(**sweep).breakout_ticks(), 4);
    EXPECT_EQ(dynamic_cast<SweepDetectionSignal&>(**sweep).threshold(), 0);

    const std::pair<const char*, const char*> ids[] = {
        {"volume_imbalance_v1", "volume_imbalance_v1"},
        {"cumulative_delta_v1", "cumulative_delta_v1"},
        {"exhaustion_v1", "exhaustion_v1"},
        {"composite_v1", "composite_v1"},
    };
    for (const auto& [id, module] : ids) {
        auto m = registry.create_signal(config(id));
        ASSERT_TRUE(m) << id;
        EXPECT_EQ((*m)->module_id(), module);
    }
    auto composite = registry.create_signal(config("composite_v1"));
    EXPECT_EQ(dynamic_cast<CompositeSignal&>(**composite).children().size(), 3u);
    EXPECT_EQ(dynamic_cast<CumulativeDeltaSignal&>(
                  *dynamic_cast<CompositeSignal&>(**composite).children()[2])
                  .threshold(),
              250);
}

TEST(SignalRegistry, ValidationDocument) {
    const SignalRegistry registry = SignalRegistry::with_built_ins();
    EXPECT_EQ(registry.validate_config_json(config("delta_momentum_v1")),
              "{\"schema_version\":1,\"signal_id\":\"delta_momentum_v1\",\"valid\":true,"
              "\"error\":null}");
    EXPECT_EQ(registry.validate_config_json(config("x\"y\x01")),
              "{\"schema_version\":1,\"signal_id\":\"x\\\"y\\u0001\",\"valid\":false,"
              "\"error\":\"unknown signal id `x\\\"y\\u0001`\"}");
}

TEST(SignalDescriptors, FirstDescriptorExactlyAndOverallShape) {
    const std::string json = built_in_signal_descriptors_json();
    const std::string first =
        "{\"id\":\"delta_momentum_v1\",\"name\":\"Delta Momentum\",\"version\":\"1\","
        "\"description\":\"Directional bias from latest trade delta crossing an absolute "
        "threshold.\",\"required_inputs_bits\":3,\"required_inputs\":[\"analytics\","
        "\"data_quality\"],\"warmup\":{\"kind\":\"events\",\"events\":1},\"parameters\":[{"
        "\"name\":\"threshold\",\"description\":\"Absolute analytics threshold required before "
        "the signal emits directional bias.\",\"kind\":\"integer\",\"default\":100,\"min\":0,"
        "\"max\":null}],\"output_semantics\":\"directional_bias\",\"deterministic\":true,"
        "\"checkpointable\":false}";
    ASSERT_EQ(json.substr(0, 1 + first.size()), "[" + first);
    EXPECT_EQ(json.back(), ']');

    // Every built-in in catalogue order, and the composite without parameters.
    std::size_t at = 0;
    for (const char* id :
         {"delta_momentum_v1", "volume_imbalance_v1", "cumulative_delta_v1", "absorption_v1",
          "exhaustion_v1", "sweep_detection_v1", "composite_v1"}) {
        const std::size_t found = json.find(std::string("{\"id\":\"") + id + "\"", at);
        ASSERT_NE(found, std::string::npos) << id;
        at = found + 1;
    }
    EXPECT_NE(json.find("\"id\":\"composite_v1\",\"name\":\"Composite\",\"version\":\"1\","
                        "\"description\":\"Majority-vote aggregation over child signal "
                        "modules.\",\"required_inputs_bits\":3,\"required_inputs\":["
                        "\"analytics\",\"data_quality\"],\"warmup\":{\"kind\":\"events\","
                        "\"events\":1},\"parameters\":[],\"output_semantics\":"
                        "\"composite_bias\",\"deterministic\":true,\"checkpointable\":false}]"),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"breakout_ticks\",\"description\":\"Minimum integer price "
                        "distance beyond value area required for sweep detection.\",\"kind\":"
                        "\"integer\",\"default\":1,\"min\":0,\"max\":null}"),
              std::string::npos);
}

TEST(SignalDescriptors, WarmupVariantsValueKindsAndInputNames) {
    SignalDescriptor d;
    d.id = "custom";
    d.required_inputs = 0x7F;
    d.warmup = SignalWarmup::all({SignalWarmup::none(), SignalWarmup::of_market_time_ns(-5),
                                  SignalWarmup::of_completed_bars(3),
                                  SignalWarmup::all({SignalWarmup::of_events(2)})});
    d.parameters.push_back({"f", "d", SignalParameterKind::Float, V::floating(100.0),
                            V::floating(0.25), std::nullopt});
    d.parameters.push_back(
        {"b", "", SignalParameterKind::Boolean, V::boolean(false), std::nullopt, std::nullopt});
    d.parameters.push_back(
        {"t", "", SignalParameterKind::Text, V::text("a\tb"), std::nullopt, std::nullopt});
    d.output_semantics = SignalOutputSemantics::Veto;
    d.checkpointable = true;
    std::string out;
    append_descriptor_json(out, d);
    EXPECT_EQ(out,
              "{\"id\":\"custom\",\"name\":\"\",\"version\":\"\",\"description\":\"\","
              "\"required_inputs_bits\":127,\"required_inputs\":[\"analytics\",\"data_quality\","
              "\"book\",\"advanced_analytics\",\"market_regime\",\"position\",\"risk\"],"
              "\"warmup\":{\"kind\":\"all\",\"requirements\":[{\"kind\":\"none\"},{\"kind\":"
              "\"market_time_ns\",\"market_time_ns\":-5},{\"kind\":\"completed_bars\","
              "\"completed_bars\":3},{\"kind\":\"all\",\"requirements\":[{\"kind\":\"events\","
              "\"events\":2}]}]},\"parameters\":[{\"name\":\"f\",\"description\":\"d\",\"kind\":"
              "\"float\",\"default\":100,\"min\":0.25,\"max\":null},{\"name\":\"b\","
              "\"description\":\"\",\"kind\":\"boolean\",\"default\":false,\"min\":null,\"max\":"
              "null},{\"name\":\"t\",\"description\":\"\",\"kind\":\"text\",\"default\":"
              "\"a\\tb\",\"min\":null,\"max\":null}],\"output_semantics\":\"veto\","
              "\"deterministic\":true,\"checkpointable\":true}");
}

}  // namespace
}  // namespace qx
