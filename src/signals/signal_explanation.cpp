#include "signals/signal_explanation.h"

#include "signals/json_string.h"
#include "support/number_format.h"

namespace qx {

std::string_view signal_reason_code_text(SignalReasonCode code) noexcept {
    switch (code) {
        case SignalReasonCode::DeltaMomentumPositive:
            return "delta_momentum_positive";
        case SignalReasonCode::DeltaMomentumNegative:
            return "delta_momentum_negative";
        case SignalReasonCode::DeltaMomentumInsideBand:
            return "delta_momentum_inside_band";
        case SignalReasonCode::BuyVolumeImbalance:
            return "buy_volume_imbalance";
        case SignalReasonCode::SellVolumeImbalance:
            return "sell_volume_imbalance";
        case SignalReasonCode::VolumeInsideBand:
            return "volume_inside_band";
        case SignalReasonCode::CumulativeDeltaPositive:
            return "cumulative_delta_positive";
        case SignalReasonCode::CumulativeDeltaNegative:
            return "cumulative_delta_negative";
        case SignalReasonCode::CumulativeDeltaInsideBand:
            return "cumulative_delta_inside_band";
        case SignalReasonCode::SellAbsorptionDetected:
            return "sell_absorption_detected";
        case SignalReasonCode::BuyAbsorptionDetected:
            return "buy_absorption_detected";
        case SignalReasonCode::AbsorptionNotDetected:
            return "absorption_not_detected";
        case SignalReasonCode::BuyExhaustionDetected:
            return "buy_exhaustion_detected";
        case SignalReasonCode::SellExhaustionDetected:
            return "sell_exhaustion_detected";
        case SignalReasonCode::ExhaustionNotDetected:
            return "exhaustion_not_detected";
        case SignalReasonCode::UpsideSweepDetected:
            return "upside_sweep_detected";
        case SignalReasonCode::DownsideSweepDetected:
            return "downside_sweep_detected";
        case SignalReasonCode::SweepNotDetected:
            return "sweep_not_detected";
        case SignalReasonCode::CompositeLongMajority:
            return "composite_long_majority";
        case SignalReasonCode::CompositeShortMajority:
            return "composite_short_majority";
        case SignalReasonCode::CompositeNoMajority:
            return "composite_no_majority";
        case SignalReasonCode::NoChildModules:
            return "no_child_modules";
        case SignalReasonCode::QualityBlocked:
            return "quality_blocked";
    }
    return "no_child_modules";
}

void SignalExplanation::reset(std::string_view module, SignalState new_state,
                              std::uint16_t confidence, std::string_view reason_text,
                              SignalReasonCode code) {
    reason.assign(reason_text);
    inputs.clear();
    thresholds.clear();
    confidence_components.clear();
    module_id = module;
    quality_flags = 0;
    confidence_bps = confidence;
    state = new_state;
    reason_code = code;
}

void SignalExplanation::assign_from_snapshot(const SignalSnapshot& snapshot,
                                             SignalReasonCode code) {
    reset(snapshot.module, snapshot.state, snapshot.confidence_bps, snapshot.reason, code);
    quality_flags = snapshot.quality_flags;
}

SignalExplanation SignalExplanation::from_snapshot(const SignalSnapshot& snapshot,
                                                   SignalReasonCode code) {
    SignalExplanation e;
    e.assign_from_snapshot(snapshot, code);
    return e;
}

namespace {

void push_key(std::string& out, std::string_view key) {
    push_json_string(out, key);
    out += ':';
}

template <typename Named>
void push_named_values(std::string& out, const std::vector<Named>& items) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        out += '{';
        push_key(out, "name");
        push_json_string(out, items[i].name);
        out += ',';
        push_key(out, "value");
        push_parameter_value_json(out, items[i].value);
        out += '}';
    }
    out += ']';
}

}  // namespace

void SignalExplanation::append_json(std::string& out) const {
    out += '{';
    push_key(out, "module_id");
    push_json_string(out, module_id);
    out += ',';
    push_key(out, "state");
    push_json_string(out, signal_state_text(state));
    out += ',';
    push_key(out, "confidence_bps");
    append_u64(out, confidence_bps);
    out += ',';
    push_key(out, "quality_flags");
    append_u64(out, quality_flags);
    out += ',';
    push_key(out, "reason_code");
    push_json_string(out, signal_reason_code_text(reason_code));
    out += ',';
    push_key(out, "reason");
    push_json_string(out, reason);
    out += ',';
    push_key(out, "inputs");
    push_named_values(out, inputs);
    out += ',';
    push_key(out, "thresholds");
    push_named_values(out, thresholds);
    out += ',';
    push_key(out, "confidence_components");
    out += '[';
    for (std::size_t i = 0; i < confidence_components.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        out += '{';
        push_key(out, "name");
        push_json_string(out, confidence_components[i].name);
        out += ',';
        push_key(out, "value_bps");
        append_u64(out, confidence_components[i].value_bps);
        out += '}';
    }
    out += "]}";
}

std::string SignalExplanation::to_json() const {
    std::string out;
    out.reserve(256);
    append_json(out);
    return out;
}

}  // namespace qx
