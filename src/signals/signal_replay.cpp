#include "signals/signal_replay.h"

#include "support/saturating.h"
#include "support/wrapping.h"

namespace qx {

std::string_view signal_direction_text(SignalDirection d) noexcept {
    switch (d) {
        case SignalDirection::Up:
            return "up";
        case SignalDirection::Down:
            return "down";
        case SignalDirection::Flat:
            return "flat";
    }
    return "flat";
}

SignalValidationReportBuilder::SignalValidationReportBuilder(const SignalValidationConfig& config) {
    report_.config = config;
    if (config.markout_horizon_events == 0) {
        report_.warnings.push_back({SignalValidationWarning::Kind::ZeroMarkoutHorizon});
    }
}

void SignalValidationReportBuilder::check_timestamp(std::uint64_t index,
                                                    std::optional<std::uint64_t> timestamp,
                                                    std::optional<std::uint64_t>& previous) {
    if (!report_.config.check_monotonic_timestamps || !timestamp) {
        return;
    }
    if (previous && *timestamp < *previous) {
        SignalValidationWarning w;
        w.kind = SignalValidationWarning::Kind::NonMonotonicTimestamp;
        w.event_index = index;
        w.previous_ts_exchange_ns = *previous;
        w.current_ts_exchange_ns = *timestamp;
        report_.warnings.push_back(w);
    }
    previous = timestamp;
}

void SignalValidationReportBuilder::record_evaluation(const SignalSnapshot& snapshot) {
    if (!report_.module_id) {
        report_.module_id = std::string(snapshot.module);
    }
    report_.evaluated_events = sat_add(report_.evaluated_events, std::uint64_t{1});
    confidence_sum_ = sat_add(confidence_sum_, std::uint64_t{snapshot.confidence_bps});
    switch (snapshot.state) {
        case SignalState::LongBias:
            ++report_.long_predictions;
            break;
        case SignalState::ShortBias:
            ++report_.short_predictions;
            break;
        case SignalState::Blocked:
            ++report_.blocked_predictions;
            break;
        case SignalState::Neutral:
            ++report_.neutral_predictions;
            break;
    }
}

SignalValidationSample SignalValidationReportBuilder::score_sample(std::uint64_t index,
                                                                   std::uint64_t markout_index,
                                                                   const AnalyticsSnapshot& entry,
                                                                   const AnalyticsSnapshot& markout,
                                                                   const SignalSnapshot& snapshot) {
    SignalValidationSample s;
    s.snapshot = snapshot;
    s.event_index = index;
    s.markout_event_index = markout_index;
    s.entry_price = entry.last_price;
    s.markout_price = markout.last_price;
    s.price_change = wrapping_sub(s.markout_price, s.entry_price);

    const std::int64_t flat =
        report_.config.flat_price_threshold < 0 ? 0 : report_.config.flat_price_threshold;
    s.markout_direction = s.price_change > flat    ? SignalDirection::Up
                          : s.price_change < -flat ? SignalDirection::Down
                                                   : SignalDirection::Flat;
    const bool flat_markout = s.markout_direction == SignalDirection::Flat;
    ++report_.labeled_events;

    const bool predicts =
        snapshot.confidence_bps >= report_.config.min_confidence_bps &&
        (snapshot.state == SignalState::LongBias || snapshot.state == SignalState::ShortBias);
    if (!predicts) {
        if (flat_markout) {
            ++report_.flat_markouts;
        }
        return s;
    }
    s.predicted_direction =
        snapshot.state == SignalState::LongBias ? SignalDirection::Up : SignalDirection::Down;
    ++report_.directional_predictions;
    if (flat_markout) {
        ++report_.flat_markouts;
    } else if (*s.predicted_direction == s.markout_direction) {
        ++report_.correct_directional;
        s.correct = true;
    } else {
        ++report_.incorrect_directional;
        s.correct = false;
    }
    return s;
}

void SignalValidationReportBuilder::keep_sample(SignalValidationSample sample) {
    report_.samples.push_back(std::move(sample));
}

void SignalValidationReportBuilder::record_missing_markout(std::uint64_t index,
                                                           std::uint64_t horizon) {
    ++report_.missing_markouts;
    SignalValidationWarning w;
    w.kind = SignalValidationWarning::Kind::MissingMarkout;
    w.event_index = index;
    w.requested_horizon_events = horizon;
    report_.warnings.push_back(w);
}

void SignalValidationReportBuilder::record_empty_input() {
    report_.warnings.push_back({SignalValidationWarning::Kind::EmptyInput});
}

SignalValidationReport SignalValidationReportBuilder::finish() && {
    if (report_.evaluated_events > 0) {
        report_.average_confidence_bps =
            static_cast<std::uint16_t>(confidence_sum_ / report_.evaluated_events);
    }
    return std::move(report_);
}

SignalValidationReport replay_signal(SignalModule& module,
                                     std::span<const SignalReplayEvent> events,
                                     const SignalValidationConfig& config) {
    SignalValidationReportBuilder builder(config);
    if (events.empty()) {
        builder.record_empty_input();
        return std::move(builder).finish();
    }
    const std::uint64_t horizon = config.normalized_horizon();
    const std::uint64_t n = events.size();
    std::optional<std::uint64_t> previous;
    SignalSnapshot snapshot;
    for (std::uint64_t i = 0; i < n; ++i) {
        builder.check_timestamp(i, events[i].ts_exchange_ns, previous);
        module.on_analytics(events[i].analytics);
        module.snapshot_into(snapshot);
        builder.record_evaluation(snapshot);
        std::uint64_t markout = 0;
        if (__builtin_add_overflow(i, horizon, &markout) || markout >= n) {
            builder.record_missing_markout(i, horizon);
            continue;
        }
        SignalValidationSample sample = builder.score_sample(i, markout, events[i].analytics,
                                                             events[markout].analytics, snapshot);
        if (config.store_samples) {
            builder.keep_sample(std::move(sample));
        }
    }
    return std::move(builder).finish();
}

}  // namespace qx
