// The static description of a signal type: identity, inputs it needs, warm-up, typed
// parameters with defaults and bounds, what its output means and two capability flags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signals/signal_parameters.h"

namespace qx {

// What a module needs before its output is meaningful.
struct SignalWarmup {
    enum class Kind : std::uint8_t { None, Events, MarketTimeNs, CompletedBars, All };

    Kind kind = Kind::None;
    std::uint64_t events = 0;
    std::int64_t market_time_ns = 0;
    std::uint32_t completed_bars = 0;
    std::vector<SignalWarmup> requirements;  // for All: every one must be met

    static SignalWarmup none() { return {}; }
    static SignalWarmup of_events(std::uint64_t n) { return {Kind::Events, n, 0, 0, {}}; }
    static SignalWarmup of_market_time_ns(std::int64_t ns) {
        return {Kind::MarketTimeNs, 0, ns, 0, {}};
    }
    static SignalWarmup of_completed_bars(std::uint32_t n) {
        return {Kind::CompletedBars, 0, 0, n, {}};
    }
    static SignalWarmup all(std::vector<SignalWarmup> r) {
        return {Kind::All, 0, 0, 0, std::move(r)};
    }
};

// Bits of the required-inputs set.
namespace signal_inputs {
inline constexpr std::uint32_t kAnalytics = 0x01;
inline constexpr std::uint32_t kDataQuality = 0x02;
inline constexpr std::uint32_t kBook = 0x04;
inline constexpr std::uint32_t kAdvancedAnalytics = 0x08;
inline constexpr std::uint32_t kMarketRegime = 0x10;
inline constexpr std::uint32_t kPosition = 0x20;
inline constexpr std::uint32_t kRisk = 0x40;
}  // namespace signal_inputs

enum class SignalOutputSemantics : std::uint8_t {
    DirectionalBias = 0,
    CompositeBias = 1,
    Informational = 2,
    Veto = 3,
};

std::string_view signal_output_semantics_text(SignalOutputSemantics s) noexcept;

struct SignalParameterDescriptor {
    std::string name;
    std::string description;
    SignalParameterKind kind = SignalParameterKind::Integer;
    std::optional<SignalParameterValue> default_value;
    std::optional<SignalParameterValue> min;
    std::optional<SignalParameterValue> max;
};

struct SignalDescriptor {
    SignalWarmup warmup;
    std::string id;
    std::string name;
    std::string version;
    std::string description;
    std::vector<SignalParameterDescriptor> parameters;  // in declaration order
    std::uint32_t required_inputs = 0;
    bool deterministic = true;
    bool checkpointable = false;
    SignalOutputSemantics output_semantics = SignalOutputSemantics::DirectionalBias;

    const SignalParameterDescriptor* parameter(std::string_view parameter_name) const noexcept;
};

// Appends the descriptor as one JSON object: id, name, version, description,
// required_inputs_bits, required_inputs (names of the set bits in ascending order), warmup,
// parameters (name, description, kind, default, min, max; absent values as null),
// output_semantics, deterministic, checkpointable.
void append_descriptor_json(std::string& out, const SignalDescriptor& descriptor);

}  // namespace qx
