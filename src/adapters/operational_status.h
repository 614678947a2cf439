// What an adapter reports about its connection, subscriptions and queue, for the adapter status
// document.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adapters/adapter_types.h"
#include "core/market_data.h"

namespace qx {

struct AdapterOperationalStatus {
    AdapterMode mode = AdapterMode::Unknown;
    AdapterConnectionState connection_state = AdapterConnectionState::Unknown;
    std::optional<std::string> endpoint_redacted;
    std::optional<std::string> app_name;
    std::uint32_t reconnect_attempt = 0;
    std::uint64_t subscription_count = 0;
    std::vector<SymbolId> subscribed_symbols;
    std::uint64_t queue_depth = 0;
    std::optional<std::uint64_t> queue_capacity;
    std::uint64_t dropped_events = 0;
    std::uint64_t gap_count = 0;
    bool stale = false;
    bool raw_capture_enabled = false;
    std::uint64_t raw_capture_depth = 0;
    std::uint64_t raw_capture_capacity = 0;
    std::optional<std::uint64_t> last_message_age_ms;
    std::optional<std::uint64_t> last_market_data_age_ms;

    // Sets endpoint_redacted to the redaction of `endpoint` (absent when it is absent or cannot
    // be redacted).
    AdapterOperationalStatus& with_endpoint(const std::optional<std::string>& endpoint);
    AdapterOperationalStatus& with_app_name(const std::optional<std::string>& name);
    // Sorts by venue, then symbol (byte-wise), removes repeats and sets subscription_count to
    // the number of distinct symbols.
    AdapterOperationalStatus& with_subscribed_symbols(std::vector<SymbolId> symbols);
};

}  // namespace qx
