// Engine construction, lifecycle, subscriptions, session reset and the host-push feed settings.
#include "runtime/engine/engine.h"

#include "adapters/adapter_factory.h"
#include "runtime/config/config_hash.h"
#include "runtime/config/config_validation.h"
#include "runtime/engine/audit_events.h"
#include "support/clock.h"
#include "support/fs.h"
#include "support/saturating.h"

namespace qx {

std::uint64_t Engine::unix_ts_nanos_() {
    return unix_ts_nanos();
}

Engine::Engine(EngineConfig config, AuditLog audit, std::unique_ptr<MarketDataAdapter> adapter,
               std::unique_ptr<persist::RollingStore> store)
    : config_(std::move(config)),
      audit_(std::move(audit)),
      adapter_(std::move(adapter)),
      store_(std::move(store)),
      signal_(config_.signal_threshold),
      max_per_poll_(max_events_per_poll_from_env()),
      breaker_(CircuitBreakerState::from_env()) {}

Engine::~Engine() = default;

RuntimeResult<std::unique_ptr<Engine>> Engine::build_default_engine(EngineConfig config) {
    if (auto valid = validate_startup_config(config); !valid) {
        return Unexpected(valid.error());
    }
    std::unique_ptr<persist::RollingStore> store;
    if (config.enable_persistence) {
        if (auto made = fs::create_dir_all(config.data_root); !made) {
            return Unexpected(RuntimeError::io(made.error()));
        }
        store = std::make_unique<persist::RollingStore>(
            config.data_root, persist::RetentionPolicy{config.data_retention_max_bytes,
                                                       config.data_retention_max_age_secs});
    }
    if (const auto slash = config.audit_log_path.rfind('/');
        slash != std::string::npos && slash > 0) {
        if (auto made = fs::create_dir_all(config.audit_log_path.substr(0, slash)); !made) {
            return Unexpected(RuntimeError::io(made.error()));
        }
    }
    AuditLog audit(config.audit_log_path, config.audit_redact_tokens, config.audit_max_bytes,
                   config.audit_max_files);
    auto adapter = create_adapter(config.adapter);
    if (!adapter) {
        return Unexpected(RuntimeError::adapter(adapter.error().display()));
    }
    return build_with_adapter(std::move(config), std::move(audit), std::move(*adapter),
                              std::move(store));
}

RuntimeResult<std::unique_ptr<Engine>> Engine::build_with_adapter(
    EngineConfig config, AuditLog audit, std::unique_ptr<MarketDataAdapter> adapter,
    std::unique_ptr<persist::RollingStore> store) {
    return std::unique_ptr<Engine>(
        new Engine(std::move(config), std::move(audit), std::move(adapter), std::move(store)));
}

RuntimeResult<> Engine::audit(std::string_view event, const std::string& details) {
    return audit_.append(event, details);
}

RuntimeResult<> Engine::start() {
    if (auto connected = adapter_->connect(); !connected) {
        return Unexpected(RuntimeError::adapter(connected.error().display()));
    }
    started_ = true;
    update_health_state(0);
    return audit(kAuditEngineStarted,
                 audit_engine_started_details(config_.instance_id, config_hash(config_)));
}

void Engine::stop() {
    started_ = false;
    (void)audit(kAuditEngineStopping, audit_engine_stopping_details());
    // Drain: whatever the adapter still holds is discarded unprocessed.
    poll_buffer_.clear();
    (void)adapter_->poll(poll_buffer_);
    poll_buffer_.clear();
    update_health_state(0);
    (void)audit(kAuditEngineStopped, audit_engine_stopped_details(processed_events_));
}

RuntimeResult<> Engine::subscribe(const SubscribeReq& request) {
    if (auto done = adapter_->subscribe(request); !done) {
        return Unexpected(RuntimeError::adapter(done.error().display()));
    }
    if (auto logged =
            audit(kAuditSubscriptionAdded,
                  audit_subscription_added_details(request.symbol.view(), request.depth_levels));
        !logged) {
        return logged;
    }
    update_health_state(0);
    return {};
}

RuntimeResult<> Engine::unsubscribe_symbol(const SymbolId& symbol) {
    if (auto done = adapter_->unsubscribe(symbol); !done) {
        return Unexpected(RuntimeError::adapter(done.error().display()));
    }
    if (auto logged =
            audit(kAuditSubscriptionRemoved, audit_subscription_removed_details(symbol.view()));
        !logged) {
        return logged;
    }
    update_health_state(0);
    return {};
}

RuntimeResult<> Engine::reset_symbol_session(SymbolView symbol) {
    if (InstrumentState* state = find_mutable(symbol); state && state->accumulator) {
        state->accumulator->reset_session();
        signal_.on_analytics(state->accumulator->snapshot());
        signal_.snapshot_into(scratch_snapshot_);
        store_signal(*state, scratch_snapshot_);
        cache_signal_explanation(*state, nullptr);
    }
    if (auto logged = audit(kAuditSessionReset, audit_session_reset_details(symbol)); !logged) {
        return logged;
    }
    update_health_state(0);
    return {};
}

QualityFlags Engine::external_feed_flags() const {
    QualityFlags flags = reconnecting_ ? kAdapterDegraded : 0;
    if (stale_after_ms_ != 0 && last_external_event_ns_) {
        const std::uint64_t now = now_ns();
        const std::uint64_t elapsed = sat_sub(now, *last_external_event_ns_);
        const std::uint64_t limit = sat_mul(stale_after_ms_, std::uint64_t{1000000});
        if (elapsed > limit) {
            flags |= kStaleFeed;
        }
    }
    return flags;
}

RuntimeResult<> Engine::configure_external_feed(std::uint64_t stale_after_ms,
                                                bool enforce_sequence) {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    external_feed_enabled_ = true;
    stale_after_ms_ = stale_after_ms;
    enforce_sequence_ = enforce_sequence;
    if (auto logged = audit(kAuditExternalFeedConfigured, audit_external_feed_configured_details(
                                                              stale_after_ms, enforce_sequence));
        !logged) {
        return logged;
    }
    update_health_state(external_feed_flags());
    return {};
}

RuntimeResult<> Engine::external_health_tick() {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    external_feed_enabled_ = true;
    update_health_state(external_feed_flags());
    return {};
}

RuntimeResult<> Engine::set_reconnecting(bool reconnecting) {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    external_feed_enabled_ = true;
    reconnecting_ = reconnecting;
    if (auto logged = audit(kAuditExternalFeedReconnecting,
                            audit_external_feed_reconnecting_details(reconnecting));
        !logged) {
        return logged;
    }
    update_health_state(external_feed_flags());
    return {};
}

}  // namespace qx
