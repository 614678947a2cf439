// Values exchanged with market-data adapters: subscription requests, health, and the
// enumerations of operational status and provider quality with their texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/market_data.h"

namespace qx {

struct SubscribeReq {
    SymbolId symbol;
    std::uint16_t depth_levels = 0;
};

struct MarketDataAdapterHealth {
    bool connected = false;
    bool degraded = false;
    std::optional<std::string> last_error;
    std::optional<std::string> protocol_info;
};

enum class AdapterMode : std::uint8_t { Mock = 0, Live = 1, Replay = 2, Bridge = 3, Unknown = 4 };

enum class AdapterConnectionState : std::uint8_t {
    Disconnected = 0,
    Connecting = 1,
    Streaming = 2,
    Reconnecting = 3,
    Backoff = 4,
    Replay = 5,
    Unknown = 6,
};

enum class AdapterQuality : std::uint8_t {
    Experimental = 0,
    Simulation = 1,
    Scaffold = 2,
    SimulatedCertified = 3,
    Functional = 4,
    PaperTrading = 5,
    ProductionCandidate = 6,
    Certified = 7,
    ProductionObserved = 8,
};

constexpr std::string_view adapter_mode_text(AdapterMode m) noexcept {
    constexpr std::string_view kTexts[] = {"mock", "live", "replay", "bridge", "unknown"};
    const auto i = static_cast<std::size_t>(m);
    return i < std::size(kTexts) ? kTexts[i] : "unknown";
}

constexpr std::string_view connection_state_text(AdapterConnectionState s) noexcept {
    constexpr std::string_view kTexts[] = {
        "disconnected", "connecting", "streaming", "reconnecting", "backoff", "replay", "unknown"};
    const auto i = static_cast<std::size_t>(s);
    return i < std::size(kTexts) ? kTexts[i] : "unknown";
}

constexpr std::string_view adapter_quality_text(AdapterQuality q) noexcept {
    constexpr std::string_view kTexts[] = {
        "experimental",  "simulation",           "scaffold",  "simulated_certified", "functional",
        "paper_trading", "production_candidate", "certified", "production_observed"};
    const auto i = static_cast<std::size_t>(q);
    return i < std::size(kTexts) ? kTexts[i] : "experimental";
}

}  // namespace qx
