// What a signal module says about the analytics it last received.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

enum class SignalState : std::uint8_t { Neutral = 0, LongBias = 1, ShortBias = 2, Blocked = 3 };

constexpr std::string_view signal_state_text(SignalState s) noexcept {
    switch (s) {
        case SignalState::Neutral:
            return "neutral";
        case SignalState::LongBias:
            return "long_bias";
        case SignalState::ShortBias:
            return "short_bias";
        case SignalState::Blocked:
            return "blocked";
    }
    return "neutral";
}

// The data-quality flags that block a signal: STALE_FEED, SEQUENCE_GAP, OUT_OF_ORDER and
// ADAPTER_DEGRADED (CLOCK_SKEW and DEPTH_TRUNCATED do not).
inline constexpr std::uint32_t kSignalQualityGateMask = 0x33;

struct SignalSnapshot {
    // The module identifier; always a module's static text, so the view never dangles.
    std::string_view module;
    SignalState state = SignalState::Neutral;
    std::uint16_t confidence_bps = 0;
    // Modules report 0; the engine's quality gate puts the event's flags here when it blocks.
    std::uint32_t quality_flags = 0;
    std::string reason;

    friend bool operator==(const SignalSnapshot&, const SignalSnapshot&) = default;
};

}  // namespace qx
