#include "runtime/engine/audit_events.h"

#include "support/json_writer.h"

namespace qx {
namespace {

JsonWriter audit_with_symbol(SymbolView symbol) {
    JsonWriter w(64 + symbol.venue.size() + symbol.symbol.size());
    w.begin_object();
    w.key("venue").string(symbol.venue);
    w.key("symbol").string(symbol.symbol);
    return w;
}

std::string finish(JsonWriter& w) {
    w.end_object();
    return std::move(w).take();
}

}  // namespace

std::string audit_engine_started_details(std::string_view instance_id,
                                         std::string_view config_hash) {
    JsonWriter w;
    w.begin_object();
    w.key("instance_id").string(instance_id);
    w.key("config_hash").string(config_hash);
    return finish(w);
}

std::string audit_engine_stopping_details() {
    return "{\"draining\":true}";
}

std::string audit_engine_stopped_details(std::uint64_t processed_events) {
    JsonWriter w;
    w.begin_object();
    w.key("processed_events").u64(processed_events);
    return finish(w);
}

std::string audit_subscription_added_details(SymbolView symbol, std::uint16_t depth_levels) {
    JsonWriter w = audit_with_symbol(symbol);
    w.key("depth_levels").u64(depth_levels);
    return finish(w);
}

std::string audit_subscription_removed_details(SymbolView symbol) {
    JsonWriter w = audit_with_symbol(symbol);
    return finish(w);
}

std::string audit_session_reset_details(SymbolView symbol) {
    JsonWriter w = audit_with_symbol(symbol);
    return finish(w);
}

std::string audit_external_feed_configured_details(std::uint64_t stale_after_ms,
                                                   bool enforce_sequence) {
    JsonWriter w;
    w.begin_object();
    w.key("stale_after_ms").u64(stale_after_ms);
    w.key("enforce_sequence").boolean(enforce_sequence);
    return finish(w);
}

std::string audit_external_feed_reconnecting_details(bool reconnecting) {
    JsonWriter w;
    w.begin_object();
    w.key("reconnecting").boolean(reconnecting);
    return finish(w);
}

std::string audit_signal_blocked_details(SymbolView symbol, std::uint32_t quality_flags) {
    JsonWriter w = audit_with_symbol(symbol);
    w.key("quality_flags").u64(quality_flags);
    return finish(w);
}

std::string audit_backpressure_details(std::uint64_t drained_events, std::uint64_t processed_events,
                                       std::uint64_t dropped_events,
                                       std::uint64_t max_events_per_poll) {
    JsonWriter w;
    w.begin_object();
    w.key("drained_events").u64(drained_events);
    w.key("processed_events").u64(processed_events);
    w.key("dropped_events").u64(dropped_events);
    w.key("max_events_per_poll").u64(max_events_per_poll);
    return finish(w);
}

}  // namespace qx
