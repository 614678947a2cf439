#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "signals/replay_validation.h"

namespace qx {
namespace {

SignalReplayEvent event(std::int64_t delta, std::int64_t last_price,
                        std::optional<std::uint64_t> ts = std::nullopt) {
    SignalReplayEvent e;
    e.analytics.delta = delta;
    e.analytics.last_price = last_price;
    e.ts_exchange_ns = ts;
    return e;
}

SignalValidationConfig horizon(std::uint64_t h) {
    SignalValidationConfig c;
    c.markout_horizon_events = h;
    return c;
}

std::string run(const std::vector<SignalReplayEvent>& events, const SignalValidationConfig& c,
                const char* signal_id = "delta_momentum_v1") {
    return validate_signal_replay_json({signal_id, {}}, events, c);
}

// The value of a top-level key, as text up to the next comma or closing brace.
std::string field(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return "<missing>";
    }
    const std::size_t start = at + key.size() + 3;
    return json.substr(start, json.find_first_of(",}", start) - start);
}

TEST(SignalReplay, EmptyInputDocument) {
    EXPECT_EQ(run({}, horizon(1)),
              "{\"schema_version\":1,\"valid\":true,\"module_id\":null,\"config\":{"
              "\"markout_horizon_events\":1,\"flat_price_threshold\":0,\"min_confidence_bps\":0,"
              "\"store_samples\":false,\"check_monotonic_timestamps\":false},"
              "\"evaluated_events\":0,\"labeled_events\":0,\"missing_markouts\":0,"
              "\"directional_predictions\":0,\"long_predictions\":0,\"short_predictions\":0,"
              "\"neutral_predictions\":0,\"blocked_predictions\":0,\"correct_directional\":0,"
              "\"incorrect_directional\":0,\"flat_markouts\":0,\"average_confidence_bps\":0,"
              "\"directional_accuracy_bps\":null,\"label_coverage_bps\":null,\"warning_count\":1,"
              "\"samples\":[],\"warnings\":[{\"code\":\"empty_input\"}]}");
}

TEST(SignalReplay, ZeroHorizon) {
    const std::string none = run({}, horizon(0));
    EXPECT_EQ(field(none, "markout_horizon_events"), "0");
    EXPECT_EQ(field(none, "warning_count"), "2");
    EXPECT_NE(none.find("\"warnings\":[{\"code\":\"zero_markout_horizon\"},{\"code\":"
                        "\"empty_input\"}]}"),
              std::string::npos);

    const std::string two = run({event(0, 100), event(0, 101)}, horizon(0));
    EXPECT_EQ(field(two, "labeled_events"), "1") << "scored as horizon 1";
    EXPECT_NE(two.find("\"warnings\":[{\"code\":\"zero_markout_horizon\"},{\"code\":"
                       "\"missing_markout\",\"event_index\":1,\"requested_horizon_events\":1}]"),
              std::string::npos);
}

TEST(SignalReplay, CountersAndCoverage) {
    const std::string json = run({event(0, 100), event(0, 100), event(0, 100)}, horizon(1));
    EXPECT_EQ(field(json, "module_id"), "\"delta_momentum_v1\"");
    EXPECT_EQ(field(json, "evaluated_events"), "3");
    EXPECT_EQ(field(json, "labeled_events"), "2");
    EXPECT_EQ(field(json, "missing_markouts"), "1");
    EXPECT_EQ(field(json, "neutral_predictions"), "3");
    EXPECT_EQ(field(json, "flat_markouts"), "2");
    EXPECT_EQ(field(json, "label_coverage_bps"), "6666");
    EXPECT_EQ(field(json, "directional_accuracy_bps"), "null");
}

TEST(SignalReplay, LongPredictionWithSamples) {
    SignalValidationConfig c = horizon(1);
    c.store_samples = true;
    const std::string json = run({event(150, 100), event(0, 101)}, c);
    EXPECT_EQ(json,
              "{\"schema_version\":1,\"valid\":true,\"module_id\":\"delta_momentum_v1\","
              "\"config\":{\"markout_horizon_events\":1,\"flat_price_threshold\":0,"
              "\"min_confidence_bps\":0,\"store_samples\":true,\"check_monotonic_timestamps\":"
              "false},\"evaluated_events\":2,\"labeled_events\":1,\"missing_markouts\":1,"
              "\"directional_predictions\":1,\"long_predictions\":1,\"short_predictions\":0,"
              "\"neutral_predictions\":1,\"blocked_predictions\":0,\"correct_directional\":1,"
              "\"incorrect_directional\":0,\"flat_markouts\":0,\"average_confidence_bps\":500,"
              "\"directional_accuracy_bps\":10000,\"label_coverage_bps\":5000,"
              "\"warning_count\":1,\"samples\":[{\"event_index\":0,\"markout_event_index\":1,"
              "\"snapshot\":{\"module_id\":\"delta_momentum_v1\",\"state\":\"long_bias\","
              "\"confidence_bps\":500,\"quality_flags\":0,\"reason\":\"delta_above_threshold\"},"
              "\"entry_price\":100,\"markout_price\":101,\"price_change\":1,"
              "\"markout_direction\":\"up\",\"predicted_direction\":\"up\",\"correct\":true}],"
              "\"warnings\":[{\"code\":\"missing_markout\",\"event_index\":1,"
              "\"requested_horizon_events\":1}]}");
}

TEST(SignalReplay, FlatWrongAndSuppressedPredictions) {
    SignalValidationConfig c = horizon(1);
    c.store_samples = true;
    // Long into a flat markout: no verdict, but still in the accuracy denominator.
    std::string json = run({event(150, 100), event(0, 100)}, c);
    EXPECT_EQ(field(json, "directional_predictions"), "1");
    EXPECT_EQ(field(json, "flat_markouts"), "1");
    EXPECT_EQ(field(json, "directional_accuracy_bps"), "0");
    EXPECT_NE(json.find("\"markout_direction\":\"flat\",\"predicted_direction\":\"up\","
                        "\"correct\":null"),
              std::string::npos);

    // Short into a rise, then short into a fall, with a flat band of 2 (a move of 3 counts).
    c.flat_price_threshold = 2;
    json = run({event(-150, 100), event(-150, 103), event(0, 100)}, c);
    EXPECT_EQ(field(json, "short_predictions"), "2");
    EXPECT_EQ(field(json, "incorrect_directional"), "1");
    EXPECT_EQ(field(json, "correct_directional"), "1");
    EXPECT_EQ(field(json, "directional_accuracy_bps"), "5000");

    // A negative flat threshold scores like 0 and prints as given.
    c.flat_price_threshold = -5;
    json = run({event(150, 100), event(0, 101)}, c);
    EXPECT_EQ(field(json, "flat_price_threshold"), "-5");
    EXPECT_EQ(field(json, "correct_directional"), "1");

    // Below the minimum confidence nothing predicts, yet long snapshots are still counted.
    c.flat_price_threshold = 0;
    c.min_confidence_bps = 501;
    json = run({event(150, 100), event(150, 101), event(150, 99)}, c);
    EXPECT_EQ(field(json, "long_predictions"), "3");
    EXPECT_EQ(field(json, "directional_predictions"), "0");
    EXPECT_EQ(field(json, "directional_accuracy_bps"), "null");
    EXPECT_EQ(json.find("\"predicted_direction\":\"up\""), std::string::npos);
    EXPECT_NE(json.find("\"predicted_direction\":null,\"correct\":null"), std::string::npos);
}

TEST(SignalReplay, TimestampChecks) {
    SignalValidationConfig c = horizon(5);
    c.check_monotonic_timestamps = true;
    const std::vector<SignalReplayEvent> events = {event(0, 1, 10), event(0, 1, 5),
                                                   event(0, 1, std::nullopt), event(0, 1, 7)};
    const std::string json = run(events, c);
    EXPECT_NE(json.find("{\"code\":\"non_monotonic_timestamp\",\"event_index\":1,"
                        "\"previous_ts_exchange_ns\":10,\"current_ts_exchange_ns\":5}"),
              std::string::npos);
    EXPECT_EQ(json.find("\"event_index\":3,\"previous"), std::string::npos)
        << "7 after 5 goes forward";
    EXPECT_EQ(field(json, "warning_count"), "5") << "one timestamp warning, four missing markouts";

    c.check_monotonic_timestamps = false;
    EXPECT_EQ(run(events, c).find("non_monotonic"), std::string::npos);
}

TEST(SignalReplay, RejectedConfigurations) {
    EXPECT_EQ(run({event(0, 1)}, horizon(1), "nope"),
              "{\"schema_version\":1,\"signal_id\":\"nope\",\"valid\":false,"
              "\"error\":\"unknown signal id `nope`\"}");
    const std::string json = validate_signal_replay_json(
        {"delta_momentum_v1", {{"threshold", SignalParameterValue::integer(-1)}}}, {}, horizon(1));
    EXPECT_EQ(json,
              "{\"schema_version\":1,\"signal_id\":\"delta_momentum_v1\",\"valid\":false,"
              "\"error\":\"parameter `delta_momentum_v1.threshold` is below the descriptor "
              "minimum\"}");
    // The boundary's escaping: quotes escaped, DEL left as it is.
    EXPECT_EQ(run({}, horizon(1), "a\"\x7f"),
              "{\"schema_version\":1,\"signal_id\":\"a\\\"\x7f\",\"valid\":false,"
              "\"error\":\"unknown signal id `a\\\"\x7f`\"}");
}

TEST(SignalReplay, CompositeModuleAndParameters) {
    const std::string json = run({event(0, 1), event(0, 2)}, horizon(1), "composite_v1");
    EXPECT_EQ(field(json, "module_id"), "\"composite_v1\"");
    EXPECT_EQ(field(json, "average_confidence_bps"), "550");

    const std::vector<SignalReplayEvent> events = {event(150, 100), event(0, 101)};
    const std::string strict = validate_signal_replay_json(
        {"delta_momentum_v1", {{"threshold", SignalParameterValue::integer(1000)}}}, events,
        horizon(1));
    EXPECT_EQ(field(strict, "long_predictions"), "0");
}

TEST(SignalReplayBuilder, BlockedSnapshotsMakeNoPrediction) {
    SignalValidationReportBuilder builder(horizon(1));
    const SignalSnapshot blocked{"delta_momentum_v1", SignalState::Blocked, 500, 1, "x"};
    builder.record_evaluation(blocked);
    AnalyticsSnapshot entry;
    entry.last_price = 10;
    AnalyticsSnapshot markout;
    markout.last_price = 20;
    const SignalValidationSample s = builder.score_sample(0, 1, entry, markout, blocked);
    EXPECT_EQ(s.markout_direction, SignalDirection::Up);
    EXPECT_FALSE(s.predicted_direction);
    EXPECT_FALSE(s.correct);
    const SignalValidationReport r = std::move(builder).finish();
    EXPECT_EQ(r.blocked_predictions, 1u);
    EXPECT_EQ(r.labeled_events, 1u);
    EXPECT_EQ(r.directional_predictions, 0u);
    EXPECT_EQ(r.average_confidence_bps, 500);
}

}  // namespace
}  // namespace qx
