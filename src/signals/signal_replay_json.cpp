// The replay report document.
#include "signals/json_string.h"
#include "signals/signal_replay.h"
#include "support/number_format.h"
#include "support/saturating.h"

namespace qx {
namespace {

void push_key(std::string& out, std::string_view key) {
    push_json_string(out, key);
    out += ':';
}

void push_u64_member(std::string& out, std::string_view key, std::uint64_t v) {
    push_key(out, key);
    append_u64(out, v);
    out += ',';
}

void push_bool(std::string& out, bool v) {
    out += v ? "true" : "false";
}

void push_sample(std::string& out, const SignalValidationSample& s) {
    out += '{';
    push_u64_member(out, "event_index", s.event_index);
    push_u64_member(out, "markout_event_index", s.markout_event_index);
    push_key(out, "snapshot");
    out += '{';
    push_key(out, "module_id");
    push_json_string(out, s.snapshot.module);
    out += ',';
    push_key(out, "state");
    push_json_string(out, signal_state_text(s.snapshot.state));
    out += ',';
    push_u64_member(out, "confidence_bps", s.snapshot.confidence_bps);
    push_u64_member(out, "quality_flags", s.snapshot.quality_flags);
    push_key(out, "reason");
    push_json_string(out, s.snapshot.reason);
    out += "},";
    push_key(out, "entry_price");
    append_i64(out, s.entry_price);
    out += ',';
    push_key(out, "markout_price");
    append_i64(out, s.markout_price);
    out += ',';
    push_key(out, "price_change");
    append_i64(out, s.price_change);
    out += ',';
    push_key(out, "markout_direction");
    push_json_string(out, signal_direction_text(s.markout_direction));
    out += ',';
    push_key(out, "predicted_direction");
    if (s.predicted_direction) {
        push_json_string(out, signal_direction_text(*s.predicted_direction));
    } else {
        out += "null";
    }
    out += ',';
    push_key(out, "correct");
    if (s.correct) {
        push_bool(out, *s.correct);
    } else {
        out += "null";
    }
    out += '}';
}

void push_warning(std::string& out, const SignalValidationWarning& w) {
    using Kind = SignalValidationWarning::Kind;
    out += '{';
    push_key(out, "code");
    switch (w.kind) {
        case Kind::EmptyInput:
            push_json_string(out, "empty_input");
            break;
        case Kind::ZeroMarkoutHorizon:
            push_json_string(out, "zero_markout_horizon");
            break;
        case Kind::MissingMarkout:
            push_json_string(out, "missing_markout");
            out += ',';
            push_key(out, "event_index");
            append_u64(out, w.event_index);
            out += ',';
            push_key(out, "requested_horizon_events");
            append_u64(out, w.requested_horizon_events);
            break;
        case Kind::NonMonotonicTimestamp:
            push_json_string(out, "non_monotonic_timestamp");
            out += ',';
            push_key(out, "event_index");
            append_u64(out, w.event_index);
            out += ',';
            push_key(out, "previous_ts_exchange_ns");
            append_u64(out, w.previous_ts_exchange_ns);
            out += ',';
            push_key(out, "current_ts_exchange_ns");
            append_u64(out, w.current_ts_exchange_ns);
            break;
    }
    out += '}';
}

// numerator * 10000 / denominator, or null when the denominator is 0.
void push_ratio_bps(std::string& out, std::uint64_t numerator, std::uint64_t denominator) {
    if (denominator == 0) {
        out += "null";
    } else {
        append_u64(out, sat_mul(numerator, std::uint64_t{10000}) / denominator);
    }
}

}  // namespace

std::string SignalValidationReport::json_report() const {
    std::string out;
    out.reserve(512 + samples.size() * 320);
    out += '{';
    push_u64_member(out, "schema_version", 1);
    push_key(out, "valid");
    out += "true,";
    push_key(out, "module_id");
    if (module_id) {
        push_json_string(out, *module_id);
    } else {
        out += "null";
    }
    out += ',';
    push_key(out, "config");
    out += '{';
    push_u64_member(out, "markout_horizon_events", config.markout_horizon_events);
    push_key(out, "flat_price_threshold");
    append_i64(out, config.flat_price_threshold);
    out += ',';
    push_u64_member(out, "min_confidence_bps", config.min_confidence_bps);
    push_key(out, "store_samples");
    push_bool(out, config.store_samples);
    out += ',';
    push_key(out, "check_monotonic_timestamps");
    push_bool(out, config.check_monotonic_timestamps);
    out += "},";
    push_u64_member(out, "evaluated_events", evaluated_events);
    push_u64_member(out, "labeled_events", labeled_events);
    push_u64_member(out, "missing_markouts", missing_markouts);
    push_u64_member(out, "directional_predictions", directional_predictions);
    push_u64_member(out, "long_predictions", long_predictions);
    push_u64_member(out, "short_predictions", short_predictions);
    push_u64_member(out, "neutral_predictions", neutral_predictions);
    push_u64_member(out, "blocked_predictions", blocked_predictions);
    push_u64_member(out, "correct_directional", correct_directional);
    push_u64_member(out, "incorrect_directional", incorrect_directional);
    push_u64_member(out, "flat_markouts", flat_markouts);
    push_u64_member(out, "average_confidence_bps", average_confidence_bps);
    push_key(out, "directional_accuracy_bps");
    push_ratio_bps(out, correct_directional, directional_predictions);
    out += ',';
    push_key(out, "label_coverage_bps");
    push_ratio_bps(out, labeled_events, evaluated_events);
    out += ',';
    push_u64_member(out, "warning_count", warnings.size());
    push_key(out, "samples");
    out += '[';
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        push_sample(out, samples[i]);
    }
    out += "],";
    push_key(out, "warnings");
    out += '[';
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        push_warning(out, warnings[i]);
    }
    out += "]}";
    return out;
}

}  // namespace qx
