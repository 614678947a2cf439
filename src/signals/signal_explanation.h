// Why a signal module holds its current state: module, state and confidence, a reason code
// next to the module's reason text, the inputs it looked at, the thresholds it compared them
// with and the parts its confidence is made of.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signals/signal_parameters.h"
#include "signals/signal_snapshot.h"

namespace qx {

enum class SignalReasonCode : std::uint8_t {
    DeltaMomentumPositive = 1,
    DeltaMomentumNegative = 2,
    DeltaMomentumInsideBand = 3,
    BuyVolumeImbalance = 4,
    SellVolumeImbalance = 5,
    VolumeInsideBand = 6,
    CumulativeDeltaPositive = 7,
    CumulativeDeltaNegative = 8,
    CumulativeDeltaInsideBand = 9,
    SellAbsorptionDetected = 10,
    BuyAbsorptionDetected = 11,
    AbsorptionNotDetected = 12,
    BuyExhaustionDetected = 13,
    SellExhaustionDetected = 14,
    ExhaustionNotDetected = 15,
    UpsideSweepDetected = 16,
    DownsideSweepDetected = 17,
    SweepNotDetected = 18,
    CompositeLongMajority = 19,
    CompositeShortMajority = 20,
    CompositeNoMajority = 21,
    NoChildModules = 22,
    QualityBlocked = 27,
};

// The JSON text of a reason code, for example "delta_momentum_positive".
std::string_view signal_reason_code_text(SignalReasonCode code) noexcept;

// Names are static texts (the modules' own literals).
struct SignalInputValue {
    std::string_view name;
    SignalParameterValue value;
};

struct SignalThreshold {
    std::string_view name;
    SignalParameterValue value;
};

struct SignalConfidenceComponent {
    std::string_view name;
    std::uint16_t value_bps = 0;
};

struct SignalExplanation {
    std::string reason;
    std::vector<SignalInputValue> inputs;
    std::vector<SignalThreshold> thresholds;
    std::vector<SignalConfidenceComponent> confidence_components;
    std::string_view module_id;  // static text
    std::uint32_t quality_flags = 0;
    std::uint16_t confidence_bps = 0;
    SignalState state = SignalState::Neutral;
    SignalReasonCode reason_code = SignalReasonCode::NoChildModules;

    // Module, state, confidence, flags and reason from the snapshot, the given code and empty
    // lists (the engine builds its blocked explanations this way).
    static SignalExplanation from_snapshot(const SignalSnapshot& snapshot, SignalReasonCode code);
    // The same into an existing explanation, reusing its storage.
    void assign_from_snapshot(const SignalSnapshot& snapshot, SignalReasonCode code);

    // Sets the snapshot-like head and empties the three lists, keeping their storage; modules
    // then add their inputs, thresholds and components.
    void reset(std::string_view module, SignalState state, std::uint16_t confidence,
               std::string_view reason_text, SignalReasonCode code);

    // {"module_id":..,"state":..,"confidence_bps":..,"quality_flags":..,"reason_code":..,
    //  "reason":..,"inputs":[{"name":..,"value":..}],"thresholds":[..],
    //  "confidence_components":[{"name":..,"value_bps":..}]}, without white space.
    std::string to_json() const;
    // Appends the same text to `out` (reusing a cached string avoids allocating per trade).
    void append_json(std::string& out) const;
};

}  // namespace qx
