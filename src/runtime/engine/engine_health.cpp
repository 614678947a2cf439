// Health fingerprint and the health, metrics and adapter status documents.
#include "adapters/adapter_descriptor.h"
#include "runtime/engine/engine.h"
#include "runtime/engine/persistence_document.h"
#include "support/json_writer.h"

namespace qx {
namespace {

void optional_str(JsonWriter& w, const std::optional<std::string>& v) {
    if (v) {
        w.string(*v);
    } else {
        w.null();
    }
}

void optional_u64(JsonWriter& w, const std::optional<std::uint64_t>& v) {
    if (v) {
        w.u64(*v);
    } else {
        w.null();
    }
}

// The five circuit-breaker members shared by the health and metrics documents.
void write_circuit_breaker_fields(JsonWriter& w, const CircuitBreakerState& b, bool open) {
    w.key("circuit_breaker_enabled").boolean(b.failure_threshold != 0);
    w.key("circuit_breaker_open").boolean(open);
    w.key("circuit_breaker_consecutive_failures").u64(b.consecutive_failures);
    w.key("circuit_breaker_opened_count").u64(b.opened_count);
    w.key("circuit_breaker_cooldown_ms").u64(b.cooldown_ms);
}

}  // namespace

bool Engine::breaker_open_now() const {
    return breaker_.is_open_at(now_ns());
}

HealthFingerprint Engine::fingerprint(bool breaker_open) const {
    const MarketDataAdapterHealth health = adapter_->health();
    HealthFingerprint f;
    f.started = started_;
    f.connected = health.connected;
    f.degraded = health.degraded;
    f.flags = current_flags_;
    f.last_error = health.last_error.value_or(std::string());
    f.protocol_info = health.protocol_info.value_or(std::string());
    f.dropped_events = dropped_events_;
    f.breaker_open = breaker_open;
    f.consecutive_failures = breaker_.consecutive_failures;
    f.opened_count = breaker_.opened_count;
    if (persistence_) {
        const MarketDataPersistenceHealth h = persistence_->health();
        f.persistence_enabled = h.enabled;
        f.persistence_degraded = h.degraded;
        f.persistence_lost_records = h.lost_records;
        f.persistence_last_error = h.last_error.value_or(std::string());
    }
    return f;
}

void Engine::update_health_state(QualityFlags flags) {
    current_flags_ = flags;
    HealthFingerprint f = fingerprint(breaker_open_now());
    // Comparing the values themselves is the same test as comparing their '|'-joined text,
    // without building the text for every event.
    if (!have_fingerprint_ || !(f == last_fingerprint_)) {
        have_fingerprint_ = true;
        last_fingerprint_ = std::move(f);
        if (health_seq_ != UINT64_MAX) {
            ++health_seq_;
        }
    }
}

std::string Engine::market_data_persistence_json() const {
    return format_runtime_market_data_persistence_json(persistence_.get());
}

Engine::HealthView Engine::health_view() const {
    HealthView v;
    v.adapter = adapter_->health();
    v.breaker_open = breaker_open_now();
    v.healthy = started_ && v.adapter.connected && !v.adapter.degraded && !v.breaker_open;
    v.runtime_status = "disconnected";
    if (started_ && v.adapter.connected) {
        const bool degraded = v.adapter.degraded || reconnecting_ || current_flags_ != 0 ||
                              v.breaker_open || persistence_degraded();
        v.runtime_status = degraded ? "degraded" : "healthy";
    }
    return v;
}

void Engine::append_health_json(std::string& out) const {
    const HealthView v = health_view();
    const MarketDataAdapterHealth& health = v.adapter;
    const bool breaker_open = v.breaker_open;
    const bool healthy = v.healthy;
    const std::string_view status = v.runtime_status;
    std::string_view reconnect = "disconnected";
    if (health.connected) {
        reconnect = (reconnecting_ || health.degraded || breaker_open) ? "degraded" : "streaming";
    }
    JsonWriter w(out);
    w.begin_object();
    w.key("health_seq").u64(health_seq_);
    w.key("started").boolean(started_);
    w.key("connected").boolean(health.connected);
    w.key("degraded").boolean(health.degraded);
    w.key("reconnect_state").string(reconnect);
    w.key("quality_flags").u64(current_flags_);
    w.key("quality_flags_detail").raw(quality_flags_detail_json(current_flags_));
    w.key("last_error");
    optional_str(w, health.last_error);
    w.key("protocol_info");
    optional_str(w, health.protocol_info);
    w.key("tracked_symbols").u64(counts_.tracked);
    w.key("processed_events").u64(processed_events_);
    w.key("adapter_total_count").u64(1);
    w.key("adapter_healthy_count").u64(healthy ? 1 : 0);
    w.key("runtime_health_status").string(status);
    w.key("external_feed_enabled").boolean(external_feed_enabled_);
    w.key("external_feed_reconnecting").boolean(reconnecting_);
    w.key("external_sequence_enforced").boolean(enforce_sequence_);
    w.key("external_last_ingest_ns");
    optional_u64(w, last_external_event_ns_);
    w.key("max_events_per_poll");
    optional_u64(w, max_per_poll_);
    w.key("backpressure_dropped_events").u64(dropped_events_);
    write_circuit_breaker_fields(w, breaker_, breaker_open);
    w.key("market_data_persistence").raw(market_data_persistence_json());
    w.end_object();
}

std::string Engine::health_json() const {
    std::string out;
    append_health_json(out);
    return out;
}

std::string Engine::adapter_status_json() const {
    const HealthView v = health_view();
    const MarketDataAdapterHealth& health = v.adapter;
    const bool breaker_open = v.breaker_open;
    const bool healthy = v.healthy;
    const AdapterDescriptor descriptor = describe_adapter(config_.adapter.provider);

    // Complete what the adapter leaves unknown from the configuration and its health.
    AdapterOperationalStatus status = adapter_->operational_status();
    if (status.mode == AdapterMode::Unknown) {
        const auto& endpoint = config_.adapter.endpoint;
        if (config_.adapter.provider == ProviderKind::Mock) {
            status.mode = AdapterMode::Mock;
        } else if (!endpoint) {
            status.mode = AdapterMode::Unknown;
        } else if (endpoint->size() < 7) {
            status.mode = AdapterMode::Live;
        } else {
            status.mode = endpoint->starts_with("mock://") ? AdapterMode::Mock : AdapterMode::Live;
        }
    }
    if (status.connection_state == AdapterConnectionState::Unknown) {
        status.connection_state = !health.connected
                                      ? AdapterConnectionState::Disconnected
                                      : (health.degraded ? AdapterConnectionState::Reconnecting
                                                         : AdapterConnectionState::Streaming);
    }
    if (!status.endpoint_redacted) {
        status.with_endpoint(config_.adapter.endpoint);
    }
    if (!status.app_name) {
        status.with_app_name(config_.adapter.app_name);
    }

    JsonWriter w;
    w.begin_object();
    w.key("schema_version").u64(1);
    w.key("provider").string(provider_keyword(config_.adapter.provider));
    w.key("provider_id").string(descriptor.provider_id);
    w.key("display_name").string(descriptor.display_name);
    w.key("feature");
    if (descriptor.feature) {
        w.string(*descriptor.feature);
    } else {
        w.null();
    }
    w.key("compiled").boolean(descriptor.compiled);
    w.key("quality").string(adapter_quality_text(descriptor.quality));
    w.key("started").boolean(started_);
    w.key("connected").boolean(health.connected);
    w.key("degraded").boolean(health.degraded);
    w.key("healthy").boolean(healthy);
    w.key("last_error");
    optional_str(w, health.last_error);
    w.key("protocol_info");
    optional_str(w, health.protocol_info);
    w.key("health_seq").u64(health_seq_);
    w.key("circuit_breaker_open").boolean(breaker_open);
    w.key("mode").string(adapter_mode_text(status.mode));
    w.key("connection_state").string(connection_state_text(status.connection_state));
    w.key("endpoint_redacted");
    optional_str(w, status.endpoint_redacted);
    w.key("app_name");
    optional_str(w, status.app_name);
    w.key("reconnect_attempt").u64(status.reconnect_attempt);
    w.key("subscription_count").u64(status.subscription_count);
    w.key("subscribed_symbols").begin_array();
    for (const SymbolId& s : status.subscribed_symbols) {
        w.begin_object().key("venue").string(s.venue).key("symbol").string(s.symbol).end_object();
    }
    w.end_array();
    w.key("queue_depth").u64(status.queue_depth);
    w.key("queue_capacity");
    optional_u64(w, status.queue_capacity);
    w.key("dropped_events").u64(status.dropped_events);
    w.key("gap_count").u64(status.gap_count);
    w.key("stale").boolean(status.stale);
    w.key("raw_capture_enabled").boolean(status.raw_capture_enabled);
    w.key("raw_capture_depth").u64(status.raw_capture_depth);
    w.key("raw_capture_capacity").u64(status.raw_capture_capacity);
    w.key("last_message_age_ms");
    optional_u64(w, status.last_message_age_ms);
    w.key("last_market_data_age_ms");
    optional_u64(w, status.last_market_data_age_ms);
    w.key("capabilities").raw(format_adapter_descriptor_json(descriptor, config_.adapter.provider));
    w.end_object();
    return std::move(w).take();
}

std::string Engine::metrics_json() const {
    const HealthView v = health_view();
    const MarketDataAdapterHealth& health = v.adapter;
    const bool breaker_open = v.breaker_open;
    const bool healthy = v.healthy;
    const std::string_view status = v.runtime_status;
    JsonWriter w(2048);
    w.begin_object();
    w.key("instance_id").string(config_.instance_id);
    w.key("started").boolean(started_);
    w.key("processed_events").u64(processed_events_);
    w.key("symbols").u64(counts_.tracked);
    w.key("book_symbols").u64(counts_.books);
    w.key("analytics_symbols").u64(counts_.accumulators);
    w.key("signal_symbols").u64(counts_.signals);
    w.key("persistence").boolean(store_ != nullptr);
    w.key("market_data_persistence").raw(market_data_persistence_json());
    w.key("health_seq").u64(health_seq_);
    w.key("quality_flags").u64(current_flags_);
    w.key("quality_flags_detail").raw(quality_flags_detail_json(current_flags_));
    w.key("adapter_connected").boolean(health.connected);
    w.key("adapter_degraded").boolean(health.degraded);
    w.key("adapter_last_error");
    optional_str(w, health.last_error);
    w.key("adapter_protocol_info");
    optional_str(w, health.protocol_info);
    w.key("adapter_total_count").u64(1);
    w.key("adapter_healthy_count").u64(healthy ? 1 : 0);
    w.key("runtime_health_status").string(status);
    w.key("external_feed_enabled").boolean(external_feed_enabled_);
    w.key("external_feed_reconnecting").boolean(reconnecting_);
    w.key("external_sequence_enforced").boolean(enforce_sequence_);
    w.key("external_stale_after_ms").u64(stale_after_ms_);
    w.key("external_last_ingest_ns");
    optional_u64(w, last_external_event_ns_);
    w.key("external_trade_sequence_symbols").u64(counts_.trade_sequences);
    w.key("external_book_sequence_symbols").u64(counts_.book_sequences);
    w.key("max_events_per_poll");
    optional_u64(w, max_per_poll_);
    w.key("backpressure_dropped_events").u64(dropped_events_);
    write_circuit_breaker_fields(w, breaker_, breaker_open);
    w.key("adapters").begin_array().raw(adapter_status_json()).end_array();
    w.end_object();
    return std::move(w).take();
}

}  // namespace qx
