#include "signals/leaf_signals.h"

#include <limits>

namespace qx {
namespace {

using Wide = __int128;
using R = SignalReasonCode;

constexpr Wide wide(std::int64_t v) noexcept {
    return v;
}

// An exact difference brought back to 64 bits for reporting, clamped at the signed limits.
std::int64_t clamp_to_i64(Wide v) noexcept {
    constexpr Wide lo = std::numeric_limits<std::int64_t>::min();
    constexpr Wide hi = std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(v < lo ? lo : (v > hi ? hi : v));
}

Wide abs_wide(Wide v) noexcept {
    return v < 0 ? -v : v;
}

// The band rule shared by the three threshold modules.
LeafOutcome band(Wide value, std::int64_t threshold, LeafOutcome long_side, LeafOutcome short_side,
                 LeafOutcome inside) noexcept {
    if (value >= wide(threshold)) {
        return long_side;
    }
    if (value <= -wide(threshold)) {
        return short_side;
    }
    return inside;
}

void add_input(SignalExplanation& out, std::string_view name, std::int64_t value) {
    out.inputs.push_back({name, SignalParameterValue::integer(value)});
}

void add_threshold(SignalExplanation& out, std::string_view name, std::int64_t value) {
    out.thresholds.push_back({name, SignalParameterValue::integer(value)});
}

}  // namespace

void LeafSignal::snapshot_into(SignalSnapshot& out) const {
    const LeafOutcome o = outcome();
    out.module = module_id();
    out.state = o.state;
    out.confidence_bps = confidence_bps();
    out.quality_flags = 0;
    out.reason.assign(o.reason);
}

void LeafSignal::explain_into(SignalExplanation& out) const {
    const LeafOutcome o = outcome();
    out.reset(module_id(), o.state, confidence_bps(), o.reason, o.code);
    add_explanation_details(out);
    out.confidence_components.push_back({"base_confidence", confidence_bps()});
}

LeafOutcome DeltaMomentumSignal::outcome() const noexcept {
    return band(analytics_.delta, threshold_,
                {SignalState::LongBias, "delta_above_threshold", R::DeltaMomentumPositive},
                {SignalState::ShortBias, "delta_below_threshold", R::DeltaMomentumNegative},
                {SignalState::Neutral, "delta_inside_band", R::DeltaMomentumInsideBand});
}

void DeltaMomentumSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "delta", analytics_.delta);
    add_threshold(out, "threshold", threshold_);
}

LeafOutcome VolumeImbalanceSignal::outcome() const noexcept {
    return band(wide(analytics_.buy_volume) - analytics_.sell_volume, threshold_,
                {SignalState::LongBias, "buy_volume_above_threshold", R::BuyVolumeImbalance},
                {SignalState::ShortBias, "sell_volume_above_threshold", R::SellVolumeImbalance},
                {SignalState::Neutral, "volume_inside_band", R::VolumeInsideBand});
}

void VolumeImbalanceSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "buy_volume", analytics_.buy_volume);
    add_input(out, "sell_volume", analytics_.sell_volume);
    add_input(out, "imbalance", clamp_to_i64(wide(analytics_.buy_volume) - analytics_.sell_volume));
    add_threshold(out, "threshold", threshold_);
}

LeafOutcome CumulativeDeltaSignal::outcome() const noexcept {
    return band(
        analytics_.cumulative_delta, threshold_,
        {SignalState::LongBias, "cumulative_delta_above_threshold", R::CumulativeDeltaPositive},
        {SignalState::ShortBias, "cumulative_delta_below_threshold", R::CumulativeDeltaNegative},
        {SignalState::Neutral, "cumulative_delta_inside_band", R::CumulativeDeltaInsideBand});
}

void CumulativeDeltaSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "cumulative_delta", analytics_.cumulative_delta);
    add_threshold(out, "threshold", threshold_);
}

LeafOutcome AbsorptionSignal::outcome() const noexcept {
    const LeafOutcome none{SignalState::Neutral, "absorption_not_detected",
                           R::AbsorptionNotDetected};
    const Wide distance = abs_wide(wide(analytics_.last_price) - analytics_.point_of_control);
    if (distance > price_band_) {
        return none;
    }
    if (analytics_.delta <= -wide(threshold_)) {
        return {SignalState::LongBias, "sell_absorption_detected", R::SellAbsorptionDetected};
    }
    if (analytics_.delta >= threshold_) {
        return {SignalState::ShortBias, "buy_absorption_detected", R::BuyAbsorptionDetected};
    }
    return none;
}

void AbsorptionSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "delta", analytics_.delta);
    add_input(out, "last_price", analytics_.last_price);
    add_input(out, "point_of_control", analytics_.point_of_control);
    add_input(out, "poc_distance",
              clamp_to_i64(abs_wide(wide(analytics_.last_price) - analytics_.point_of_control)));
    add_threshold(out, "threshold", threshold_);
    add_threshold(out, "price_band", price_band_);
}

LeafOutcome ExhaustionSignal::outcome() const noexcept {
    const AnalyticsSnapshot& a = analytics_;
    if (a.delta >= threshold_ && a.point_of_control >= a.last_price) {
        return {SignalState::ShortBias, "buy_exhaustion_detected", R::BuyExhaustionDetected};
    }
    if (a.delta <= -wide(threshold_) && a.last_price >= a.point_of_control) {
        return {SignalState::LongBias, "sell_exhaustion_detected", R::SellExhaustionDetected};
    }
    return {SignalState::Neutral, "exhaustion_not_detected", R::ExhaustionNotDetected};
}

void ExhaustionSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "delta", analytics_.delta);
    add_input(out, "last_price", analytics_.last_price);
    add_input(out, "point_of_control", analytics_.point_of_control);
    add_threshold(out, "threshold", threshold_);
}

LeafOutcome SweepDetectionSignal::outcome() const noexcept {
    const AnalyticsSnapshot& a = analytics_;
    if (a.delta >= threshold_ && a.last_price >= wide(a.value_area_high) + breakout_ticks_) {
        return {SignalState::LongBias, "upside_sweep_detected", R::UpsideSweepDetected};
    }
    if (a.delta <= -wide(threshold_) && a.last_price <= wide(a.value_area_low) - breakout_ticks_) {
        return {SignalState::ShortBias, "downside_sweep_detected", R::DownsideSweepDetected};
    }
    return {SignalState::Neutral, "sweep_not_detected", R::SweepNotDetected};
}

void SweepDetectionSignal::add_explanation_details(SignalExplanation& out) const {
    add_input(out, "delta", analytics_.delta);
    add_input(out, "last_price", analytics_.last_price);
    add_input(out, "value_area_high", analytics_.value_area_high);
    add_input(out, "value_area_low", analytics_.value_area_low);
    add_threshold(out, "threshold", threshold_);
    add_threshold(out, "breakout_ticks", breakout_ticks_);
}

}  // namespace qx
