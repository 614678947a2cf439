// A signal module that owns an ordered list of child modules and turns their biases into one
// by majority vote; the confidence is the average over all children, neutral ones included.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "signals/signal_module.h"

namespace qx {

class CompositeSignal final : public SignalModule {
  public:
    static constexpr std::string_view kId = "composite_v1";

    CompositeSignal() = default;
    explicit CompositeSignal(std::vector<std::unique_ptr<SignalModule>> children)
        : children_(std::move(children)) {}

    // Delta momentum (threshold 100), volume imbalance (100), cumulative delta (250).
    static CompositeSignal with_default_children();

    std::string_view module_id() const noexcept override { return kId; }
    // Forwards the analytics to every child, in order.
    void on_analytics(const AnalyticsSnapshot& analytics) noexcept override;
    void snapshot_into(SignalSnapshot& out) const override;
    // True as soon as one child blocks; false without children.
    bool quality_gate(std::uint32_t quality_flags) const noexcept override;
    void explain_into(SignalExplanation& out) const override;

    const std::vector<std::unique_ptr<SignalModule>>& children() const noexcept {
        return children_;
    }

  private:
    std::vector<std::unique_ptr<SignalModule>> children_;
};

}  // namespace qx
