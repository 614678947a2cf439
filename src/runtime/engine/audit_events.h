// The engine's audit events: their names and the details objects written with them. Texts that
// come from the host or the configuration (instance id, venue, symbol) are JSON-escaped, so a
// quote or a line break in them can neither break a line nor forge fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/market_data.h"

namespace qx {

inline constexpr std::string_view kAuditEngineStarted = "engine_started";
inline constexpr std::string_view kAuditEngineStopping = "engine_stopping";
inline constexpr std::string_view kAuditEngineStopped = "engine_stopped";
inline constexpr std::string_view kAuditSubscriptionAdded = "subscription_added";
inline constexpr std::string_view kAuditSubscriptionRemoved = "subscription_removed";
inline constexpr std::string_view kAuditSessionReset = "session_reset";
inline constexpr std::string_view kAuditExternalFeedConfigured = "external_feed_configured";
inline constexpr std::string_view kAuditExternalFeedReconnecting = "external_feed_reconnecting";
inline constexpr std::string_view kAuditSignalBlocked = "signal_blocked";
inline constexpr std::string_view kAuditBackpressure = "backpressure";

// {"instance_id":"I","config_hash":"H"}
std::string audit_engine_started_details(std::string_view instance_id,
                                         std::string_view config_hash);
// {"draining":true}
std::string audit_engine_stopping_details();
// {"processed_events":N}
std::string audit_engine_stopped_details(std::uint64_t processed_events);
// {"venue":"V","symbol":"Y","depth_levels":D}
std::string audit_subscription_added_details(SymbolView symbol, std::uint16_t depth_levels);
// {"venue":"V","symbol":"Y"}
std::string audit_subscription_removed_details(SymbolView symbol);
// {"venue":"V","symbol":"Y"}
std::string audit_session_reset_details(SymbolView symbol);
// {"stale_after_ms":N,"enforce_sequence":B}
std::string audit_external_feed_configured_details(std::uint64_t stale_after_ms,
                                                   bool enforce_sequence);
// {"reconnecting":B}
std::string audit_external_feed_reconnecting_details(bool reconnecting);
// {"venue":"V","symbol":"Y","quality_flags":N}
std::string audit_signal_blocked_details(SymbolView symbol, std::uint32_t quality_flags);
// {"drained_events":N,"processed_events":K,"dropped_events":D,"max_events_per_poll":L}
std::string audit_backpressure_details(std::uint64_t drained_events, std::uint64_t processed_events,
                                       std::uint64_t dropped_events,
                                       std::uint64_t max_events_per_poll);

}  // namespace qx
