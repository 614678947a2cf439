// The six leaf signal modules. Each keeps a copy of the last AnalyticsSnapshot it received and
// applies one fixed rule to it; the first matching step of a rule wins. Comparisons are exact
// (no step can overflow), and the confidence is a constant per module.
#pragma once

#include <cstdint>
#include <string_view>

#include "signals/signal_module.h"

namespace qx {

// What a leaf rule decided: the state, the module's reason text and the explanation's code.
struct LeafOutcome {
    SignalState state = SignalState::Neutral;
    std::string_view reason;
    SignalReasonCode code = SignalReasonCode::NoChildModules;
};

// Storage and behaviour shared by the leaf modules.
class LeafSignal : public SignalModule {
  public:
    void on_analytics(const AnalyticsSnapshot& analytics) noexcept final { analytics_ = analytics; }
    bool quality_gate(std::uint32_t quality_flags) const noexcept final {
        return (quality_flags & kSignalQualityGateMask) != 0;
    }
    void snapshot_into(SignalSnapshot& out) const final;
    void explain_into(SignalExplanation& out) const final;

    const AnalyticsSnapshot& analytics() const noexcept { return analytics_; }
    virtual std::uint16_t confidence_bps() const noexcept = 0;
    virtual LeafOutcome outcome() const noexcept = 0;

  protected:
    // Adds the module's inputs and thresholds to an explanation whose head is already set.
    virtual void add_explanation_details(SignalExplanation& out) const = 0;

    AnalyticsSnapshot analytics_;
};

// Long when delta >= threshold, short when delta <= -threshold.
class DeltaMomentumSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "delta_momentum_v1";
    static constexpr std::uint16_t kConfidence = 500;
    static constexpr std::int64_t kDefaultThreshold = 100;

    explicit DeltaMomentumSignal(std::int64_t threshold = kDefaultThreshold) noexcept
        : threshold_(threshold) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
};

// Long when buy volume - sell volume >= threshold, short when it is <= -threshold.
class VolumeImbalanceSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "volume_imbalance_v1";
    static constexpr std::uint16_t kConfidence = 550;
    static constexpr std::int64_t kDefaultThreshold = 100;

    explicit VolumeImbalanceSignal(std::int64_t threshold = kDefaultThreshold) noexcept
        : threshold_(threshold) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
};

// Long when cumulative delta >= threshold, short when it is <= -threshold.
class CumulativeDeltaSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "cumulative_delta_v1";
    static constexpr std::uint16_t kConfidence = 600;
    static constexpr std::int64_t kDefaultThreshold = 250;

    explicit CumulativeDeltaSignal(std::int64_t threshold = kDefaultThreshold) noexcept
        : threshold_(threshold) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
};

// Reversal bias when strong flow does not move the price more than price_band away from the
// point of control: heavy selling there is long, heavy buying short.
class AbsorptionSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "absorption_v1";
    static constexpr std::uint16_t kConfidence = 575;
    static constexpr std::int64_t kDefaultThreshold = 150;
    static constexpr std::int64_t kDefaultPriceBand = 2;

    explicit AbsorptionSignal(std::int64_t threshold = kDefaultThreshold,
                              std::int64_t price_band = kDefaultPriceBand) noexcept
        : threshold_(threshold), price_band_(price_band) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }
    std::int64_t price_band() const noexcept { return price_band_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
    std::int64_t price_band_;
};

// Reversal bias when directional flow stalls at or behind the point of control.
class ExhaustionSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "exhaustion_v1";
    static constexpr std::uint16_t kConfidence = 565;
    static constexpr std::int64_t kDefaultThreshold = 150;

    explicit ExhaustionSignal(std::int64_t threshold = kDefaultThreshold) noexcept
        : threshold_(threshold) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
};

// Breakout bias when the price leaves the value area by breakout_ticks with directional flow.
class SweepDetectionSignal final : public LeafSignal {
  public:
    static constexpr std::string_view kId = "sweep_detection_v1";
    static constexpr std::uint16_t kConfidence = 625;
    static constexpr std::int64_t kDefaultThreshold = 150;
    static constexpr std::int64_t kDefaultBreakoutTicks = 1;

    explicit SweepDetectionSignal(std::int64_t threshold = kDefaultThreshold,
                                  std::int64_t breakout_ticks = kDefaultBreakoutTicks) noexcept
        : threshold_(threshold), breakout_ticks_(breakout_ticks) {}
    std::string_view module_id() const noexcept override { return kId; }
    std::uint16_t confidence_bps() const noexcept override { return kConfidence; }
    LeafOutcome outcome() const noexcept override;
    std::int64_t threshold() const noexcept { return threshold_; }
    std::int64_t breakout_ticks() const noexcept { return breakout_ticks_; }

  private:
    void add_explanation_details(SignalExplanation& out) const override;
    std::int64_t threshold_;
    std::int64_t breakout_ticks_;
};

}  // namespace qx
