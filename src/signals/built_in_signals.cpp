#include "signals/built_in_signals.h"

#include "signals/composite_signal.h"
#include "signals/leaf_signals.h"
#include "signals/signal_registry.h"

namespace qx {
namespace {

constexpr const char* kThresholdDescription =
    "Absolute analytics threshold required before the signal emits directional bias.";
constexpr const char* kPriceBandDescription =
    "Maximum integer price distance from point of control used by absorption logic.";
constexpr const char* kBreakoutTicksDescription =
    "Minimum integer price distance beyond value area required for sweep detection.";

SignalParameterDescriptor integer_parameter_descriptor(const char* name, const char* description,
                                                       std::int64_t default_value) {
    return {name,
            description,
            SignalParameterKind::Integer,
            SignalParameterValue::integer(default_value),
            SignalParameterValue::integer(0),
            std::nullopt};
}

SignalDescriptor descriptor(const char* id, const char* name, const char* description,
                            std::vector<SignalParameterDescriptor> parameters,
                            SignalOutputSemantics semantics) {
    SignalDescriptor d;
    d.warmup = SignalWarmup::of_events(1);
    d.id = id;
    d.name = name;
    d.version = "1";
    d.description = description;
    d.parameters = std::move(parameters);
    d.required_inputs = signal_inputs::kAnalytics | signal_inputs::kDataQuality;
    d.deterministic = true;
    d.checkpointable = false;
    d.output_semantics = semantics;
    return d;
}

std::vector<SignalDescriptor> make_descriptors() {
    constexpr auto directional = SignalOutputSemantics::DirectionalBias;
    std::vector<SignalDescriptor> out;
    out.push_back(descriptor(
        "delta_momentum_v1", "Delta Momentum",
        "Directional bias from latest trade delta crossing an absolute threshold.",
        {integer_parameter_descriptor("threshold", kThresholdDescription, 100)}, directional));
    out.push_back(descriptor(
        "volume_imbalance_v1", "Volume Imbalance",
        "Directional bias from session buy-volume versus sell-volume imbalance.",
        {integer_parameter_descriptor("threshold", kThresholdDescription, 100)}, directional));
    out.push_back(descriptor(
        "cumulative_delta_v1", "Cumulative Delta",
        "Session-scale directional bias from cumulative delta crossing a threshold.",
        {integer_parameter_descriptor("threshold", kThresholdDescription, 250)}, directional));
    out.push_back(
        descriptor("absorption_v1", "Absorption",
                   "Reversal bias when strong directional flow fails to move price away from POC.",
                   {integer_parameter_descriptor("threshold", kThresholdDescription, 150),
                    integer_parameter_descriptor("price_band", kPriceBandDescription, 2)},
                   directional));
    out.push_back(descriptor(
        "exhaustion_v1", "Exhaustion",
        "Reversal bias when directional flow stalls near the point of control.",
        {integer_parameter_descriptor("threshold", kThresholdDescription, 150)}, directional));
    out.push_back(
        descriptor("sweep_detection_v1", "Sweep Detection",
                   "Breakout bias from value-area breaks accompanied by directional flow.",
                   {integer_parameter_descriptor("threshold", kThresholdDescription, 150),
                    integer_parameter_descriptor("breakout_ticks", kBreakoutTicksDescription, 1)},
                   directional));
    out.push_back(descriptor("composite_v1", "Composite",
                             "Majority-vote aggregation over child signal modules.", {},
                             SignalOutputSemantics::CompositeBias));
    return out;
}

const SignalDescriptor& built_in(std::size_t i) {
    return built_in_signal_descriptors()[i];
}

Expected<SignalModulePtr, SignalRegistryError> make_delta_momentum(const SignalConfig& c) {
    return SignalModulePtr(
        std::make_unique<DeltaMomentumSignal>(integer_parameter(c, built_in(0), "threshold")));
}

Expected<SignalModulePtr, SignalRegistryError> make_volume_imbalance(const SignalConfig& c) {
    return SignalModulePtr(
        std::make_unique<VolumeImbalanceSignal>(integer_parameter(c, built_in(1), "threshold")));
}

Expected<SignalModulePtr, SignalRegistryError> make_cumulative_delta(const SignalConfig& c) {
    return SignalModulePtr(
        std::make_unique<CumulativeDeltaSignal>(integer_parameter(c, built_in(2), "threshold")));
}

Expected<SignalModulePtr, SignalRegistryError> make_absorption(const SignalConfig& c) {
    return SignalModulePtr(
        std::make_unique<AbsorptionSignal>(integer_parameter(c, built_in(3), "threshold"),
                                           integer_parameter(c, built_in(3), "price_band")));
}

Expected<SignalModulePtr, SignalRegistryError> make_exhaustion(const SignalConfig& c) {
    return SignalModulePtr(
        std::make_unique<ExhaustionSignal>(integer_parameter(c, built_in(4), "threshold")));
}

Expected<SignalModulePtr, SignalRegistryError> make_sweep_detection(const SignalConfig& c) {
    return SignalModulePtr(std::make_unique<SweepDetectionSignal>(
        integer_parameter(c, built_in(5), "threshold"),
        integer_parameter(c, built_in(5), "breakout_ticks")));
}

Expected<SignalModulePtr, SignalRegistryError> make_composite(const SignalConfig&) {
    return SignalModulePtr(
        std::make_unique<CompositeSignal>(CompositeSignal::with_default_children()));
}

}  // namespace

const std::vector<SignalDescriptor>& built_in_signal_descriptors() {
    static const std::vector<SignalDescriptor> descriptors = make_descriptors();
    return descriptors;
}

SignalRegistry SignalRegistry::with_built_ins() {
    static constexpr SignalFactory kFactories[] = {
        make_delta_momentum, make_volume_imbalance, make_cumulative_delta, make_absorption,
        make_exhaustion,     make_sweep_detection,  make_composite,
    };
    const std::vector<SignalDescriptor>& descriptors = built_in_signal_descriptors();
    SignalRegistry registry;
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        registry.add(descriptors[i], kFactories[i]);
    }
    return registry;
}

std::string built_in_signal_descriptors_json() {
    return SignalRegistry::with_built_ins().descriptors_json();
}

}  // namespace qx
