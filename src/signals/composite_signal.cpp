#include "signals/composite_signal.h"

#include "signals/leaf_signals.h"

namespace qx {
namespace {

struct Tally {
    std::string long_ids;
    std::string short_ids;
    std::size_t long_votes = 0;
    std::size_t short_votes = 0;
    std::uint32_t confidence_sum = 0;
};

Tally tally(const std::vector<std::unique_ptr<SignalModule>>& children) {
    Tally t;
    SignalSnapshot s;
    for (const auto& child : children) {
        child->snapshot_into(s);
        if (s.state == SignalState::LongBias) {
            t.long_ids.append(t.long_votes++ == 0 ? "" : ",").append(s.module);
        } else if (s.state == SignalState::ShortBias) {
            t.short_ids.append(t.short_votes++ == 0 ? "" : ",").append(s.module);
        }
        t.confidence_sum += s.confidence_bps;
    }
    return t;
}

std::uint16_t average_confidence(const Tally& t, std::size_t children) noexcept {
    return children == 0 ? 0 : static_cast<std::uint16_t>(t.confidence_sum / children);
}

}  // namespace

CompositeSignal CompositeSignal::with_default_children() {
    std::vector<std::unique_ptr<SignalModule>> children;
    children.push_back(std::make_unique<DeltaMomentumSignal>(100));
    children.push_back(std::make_unique<VolumeImbalanceSignal>(100));
    children.push_back(std::make_unique<CumulativeDeltaSignal>(250));
    return CompositeSignal(std::move(children));
}

void CompositeSignal::on_analytics(const AnalyticsSnapshot& analytics) noexcept {
    for (const auto& child : children_) {
        child->on_analytics(analytics);
    }
}

void CompositeSignal::snapshot_into(SignalSnapshot& out) const {
    out.module = kId;
    out.quality_flags = 0;
    if (children_.empty()) {
        out.state = SignalState::Neutral;
        out.confidence_bps = 0;
        out.reason.assign("no_child_modules");
        return;
    }
    const Tally t = tally(children_);
    if (t.long_votes > t.short_votes) {
        out.state = SignalState::LongBias;
        out.reason.assign("composite_long:").append(t.long_ids);
    } else if (t.short_votes > t.long_votes) {
        out.state = SignalState::ShortBias;
        out.reason.assign("composite_short:").append(t.short_ids);
    } else {
        out.state = SignalState::Neutral;
        out.reason.assign("composite_no_majority");
    }
    out.confidence_bps = average_confidence(t, children_.size());
}

bool CompositeSignal::quality_gate(std::uint32_t quality_flags) const noexcept {
    for (const auto& child : children_) {
        if (child->quality_gate(quality_flags)) {
            return true;
        }
    }
    return false;
}

void CompositeSignal::explain_into(SignalExplanation& out) const {
    SignalSnapshot s;
    snapshot_into(s);
    SignalReasonCode code = SignalReasonCode::NoChildModules;
    if (!children_.empty()) {
        code = s.state == SignalState::LongBias    ? SignalReasonCode::CompositeLongMajority
               : s.state == SignalState::ShortBias ? SignalReasonCode::CompositeShortMajority
                                                   : SignalReasonCode::CompositeNoMajority;
    }
    out.assign_from_snapshot(s, code);
    const Tally t = tally(children_);
    out.inputs.push_back({"module_count", SignalParameterValue::integer(
                                              static_cast<std::int64_t>(children_.size()))});
    out.inputs.push_back(
        {"long_votes", SignalParameterValue::integer(static_cast<std::int64_t>(t.long_votes))});
    out.inputs.push_back(
        {"short_votes", SignalParameterValue::integer(static_cast<std::int64_t>(t.short_votes))});
    out.confidence_components.push_back(
        {"average_child_confidence", average_confidence(t, children_.size())});
}

}  // namespace qx
