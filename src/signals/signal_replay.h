// Scoring a signal module's predictions on a recorded sequence of analytics: each prediction is
// labelled with the price move a fixed number of events later (the markout), and the counts,
// warnings and (on request) every scored sample make up one report.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/analytics_snapshot.h"
#include "signals/signal_module.h"

namespace qx {

struct SignalValidationConfig {
    std::uint64_t markout_horizon_events = 0;
    // The largest absolute price change still counted as flat; negative counts as 0.
    std::int64_t flat_price_threshold = 0;
    // Snapshots below this confidence make no prediction.
    std::uint16_t min_confidence_bps = 0;
    bool store_samples = false;
    bool check_monotonic_timestamps = false;

    // The horizon in use: 0 is scored as 1.
    std::uint64_t normalized_horizon() const noexcept {
        return markout_horizon_events == 0 ? 1 : markout_horizon_events;
    }
};

enum class SignalDirection : std::uint8_t { Up = 0, Down = 1, Flat = 2 };

std::string_view signal_direction_text(SignalDirection d) noexcept;  // "up", "down", "flat"

struct SignalValidationSample {
    SignalSnapshot snapshot;
    std::uint64_t event_index = 0;
    std::uint64_t markout_event_index = 0;
    std::int64_t entry_price = 0;
    std::int64_t markout_price = 0;
    std::int64_t price_change = 0;
    SignalDirection markout_direction = SignalDirection::Flat;
    std::optional<bool> correct;
    std::optional<SignalDirection> predicted_direction;  // up or down
};

struct SignalValidationWarning {
    enum class Kind : std::uint8_t {
        EmptyInput,
        ZeroMarkoutHorizon,
        MissingMarkout,
        NonMonotonicTimestamp,
    };

    Kind kind = Kind::EmptyInput;
    std::uint64_t event_index = 0;
    std::uint64_t requested_horizon_events = 0;  // MissingMarkout
    std::uint64_t previous_ts_exchange_ns = 0;   // NonMonotonicTimestamp
    std::uint64_t current_ts_exchange_ns = 0;    // NonMonotonicTimestamp
};

struct SignalValidationReport {
    std::vector<SignalValidationSample> samples;
    std::vector<SignalValidationWarning> warnings;
    SignalValidationConfig config;  // as given, not normalized
    std::optional<std::string> module_id;
    std::uint64_t evaluated_events = 0;
    std::uint64_t labeled_events = 0;
    std::uint64_t missing_markouts = 0;
    std::uint64_t directional_predictions = 0;
    std::uint64_t long_predictions = 0;
    std::uint64_t short_predictions = 0;
    std::uint64_t neutral_predictions = 0;
    std::uint64_t blocked_predictions = 0;
    std::uint64_t correct_directional = 0;
    std::uint64_t incorrect_directional = 0;
    std::uint64_t flat_markouts = 0;
    std::uint16_t average_confidence_bps = 0;

    // The report document, keys in fixed order, without white space.
    std::string json_report() const;
};

class SignalValidationReportBuilder {
  public:
    // Empty report; a zero horizon is the first warning.
    explicit SignalValidationReportBuilder(const SignalValidationConfig& config);

    // With timestamp checking on and a timestamp present: warns when it is below the previous
    // one, then makes it the previous one (also after a backward step).
    void check_timestamp(std::uint64_t index, std::optional<std::uint64_t> timestamp,
                         std::optional<std::uint64_t>& previous);
    // Counts one evaluated snapshot: module id, confidence, state.
    void record_evaluation(const SignalSnapshot& snapshot);
    // Labels the snapshot of event `index` with the move to event `markout_index`.
    SignalValidationSample score_sample(std::uint64_t index, std::uint64_t markout_index,
                                        const AnalyticsSnapshot& entry,
                                        const AnalyticsSnapshot& markout,
                                        const SignalSnapshot& snapshot);
    void keep_sample(SignalValidationSample sample);
    void record_missing_markout(std::uint64_t index, std::uint64_t horizon);
    void record_empty_input();

    // The report, with the average confidence filled in.
    SignalValidationReport finish() &&;

  private:
    SignalValidationReport report_;
    std::uint64_t confidence_sum_ = 0;
};

// One recorded event: analytics and an optional exchange timestamp.
struct SignalReplayEvent {
    AnalyticsSnapshot analytics;
    std::optional<std::uint64_t> ts_exchange_ns;
};

// Feeds the events to `module` in order (no quality gate) and scores every event that has a
// markout within the sequence.
SignalValidationReport replay_signal(SignalModule& module,
                                     std::span<const SignalReplayEvent> events,
                                     const SignalValidationConfig& config);

}  // namespace qx
