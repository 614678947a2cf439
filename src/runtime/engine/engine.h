// The runtime engine behind a qx_engine_t handle: one adapter, one book and one set of
// analytics per instrument, one signal module shared by all instruments, the audit log, the
// optional JSON-lines store, and the health and counter state its documents report.
//
// Every market event, pushed by the host or polled from the adapter, goes through
// process_event. The engine is single-threaded: callers must not use one engine from two
// threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "adapters/market_data_adapter.h"
#include "adapters/raw_event.h"
#include "persist/rolling_store.h"
#include "runtime/config/engine_config.h"
#include "runtime/engine/analytics_config.h"
#include "runtime/engine/audit_log.h"
#include "runtime/engine/health_state.h"
#include "runtime/engine/instrument_state.h"
#include "runtime/engine/market_data_persistence.h"
#include "runtime/engine/poll_settings.h"
#include "runtime/engine/quality_flags.h"
#include "runtime/engine/runtime_error.h"
#include "signals/leaf_signals.h"
#include "signals/signal_explanation.h"

namespace qx {

class Engine {
  public:
    using Clock = std::function<std::uint64_t()>;

    // Validates the configuration, creates the data and audit directories, the JSON-lines store
    // (when persistence is enabled), the audit log and the adapter, and reads the poll limits
    // from the environment. The engine starts stopped.
    static RuntimeResult<std::unique_ptr<Engine>> build_default_engine(EngineConfig config);

    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- lifecycle ----
    // Connects the adapter, marks the engine started, refreshes health and writes
    // "engine_started". A failed audit write is returned but the engine stays started.
    RuntimeResult<> start();
    // Marks the engine stopped and drains the adapter without processing anything.
    void stop();
    bool started() const noexcept { return started_; }

    // ---- host-push ingest ----
    RuntimeResult<> ingest_trade(const TradePrint& trade, QualityFlags host_flags);
    RuntimeResult<> ingest_book(const BookUpdate& update, QualityFlags host_flags);

    // ---- poll loop ----
    // One poll: breaker check, adapter drain, backpressure cut, pipeline, health update and the
    // "backpressure" audit line. A poll that dropped events ends in an error whose
    // is_backpressure() is true; its kept events were processed.
    RuntimeResult<> poll_once(QualityFlags flags);

    // ---- subscriptions, session, external feed ----
    RuntimeResult<> subscribe(const SubscribeReq& request);
    RuntimeResult<> unsubscribe_symbol(const SymbolId& symbol);
    RuntimeResult<> reset_symbol_session(SymbolView symbol);
    RuntimeResult<> configure_external_feed(std::uint64_t stale_after_ms, bool enforce_sequence);
    RuntimeResult<> external_health_tick();
    RuntimeResult<> set_reconnecting(bool reconnecting);

    // ---- configuration ----
    void set_analytics_config(const AnalyticsConfig& config) {
        analytics_config_ = sanitize_analytics_config(config);
    }
    const AnalyticsConfig& analytics_config() const noexcept { return analytics_config_; }
    const EngineConfig& config() const noexcept { return config_; }

    // ---- state read by callbacks and queries ----
    const std::vector<RawEvent>& event_batch() const noexcept { return batch_; }
    const InstrumentState* find(SymbolView symbol) const;
    std::uint64_t health_seq() const noexcept { return health_seq_; }
    QualityFlags current_flags() const noexcept { return current_flags_; }
    std::uint64_t processed_events() const noexcept { return processed_events_; }
    std::uint64_t dropped_events() const noexcept { return dropped_events_; }
    const CircuitBreakerState& circuit_breaker() const noexcept { return breaker_; }
    std::optional<std::uint64_t> max_events_per_poll() const noexcept { return max_per_poll_; }
    const InstrumentCounts& counts() const noexcept { return counts_; }
    std::uint64_t tracked_symbol_count() const noexcept { return counts_.tracked; }
    bool has_rolling_store() const noexcept { return store_ != nullptr; }
    const MarketDataAdapter& adapter() const noexcept { return *adapter_; }
    const AuditLog& audit_log() const noexcept { return audit_; }

    bool external_feed_enabled() const noexcept { return external_feed_enabled_; }
    bool reconnecting() const noexcept { return reconnecting_; }
    bool enforce_sequence() const noexcept { return enforce_sequence_; }
    std::uint64_t stale_after_ms() const noexcept { return stale_after_ms_; }
    std::optional<std::uint64_t> last_external_event_ns() const noexcept {
        return last_external_event_ns_;
    }

    // Documents ("{}" where the instrument lacks the state they need).
    void append_analytics_json(SymbolView symbol, std::string& out) const;
    void append_derived_analytics_json(SymbolView symbol, std::string& out) const;
    void append_signal_json(SymbolView symbol, std::string& out) const;
    void append_book_snapshot_json(SymbolView symbol, std::string& out) const;
    void append_health_json(std::string& out) const;
    std::string health_json() const;
    std::string metrics_json() const;
    std::string adapter_status_json() const;
    std::string signal_metrics_json() const;
    // The market-data persistence document (its fixed disabled form while none is set up).
    std::string market_data_persistence_json() const;

    // ---- market-data write-ahead log ----
    const RuntimeMarketDataPersistence* market_data_persistence() const noexcept {
        return persistence_.get();
    }
    // Installs a persistence (the caller has checked that none is set) and refreshes health.
    void install_market_data_persistence(std::unique_ptr<RuntimeMarketDataPersistence> p);
    // Detaches the persistence; the engine has none afterwards.
    std::unique_ptr<RuntimeMarketDataPersistence> detach_market_data_persistence() {
        return std::move(persistence_);
    }
    RuntimeMarketDataPersistence* market_data_persistence_mut() noexcept {
        return persistence_.get();
    }
    // Queues the event for the write-ahead log under the persistence's failure policy.
    RuntimeResult<> persist_normalized_event(const RawEvent& event, QualityFlags flags);

    // Stores the flags as current and bumps health_seq when the health fingerprint changed.
    void update_health_state(QualityFlags flags);
    // Host-push flags from the reconnecting state and the staleness of the last pushed event.
    QualityFlags external_feed_flags() const;

    // Test seam: the wall clock used for staleness, the breaker and document timestamps.
    void set_clock_for_testing(Clock clock) { clock_ = std::move(clock); }
    // Test seam: the adapter, for queueing events into the mock.
    MarketDataAdapter& adapter_for_testing() noexcept { return *adapter_; }

    // Builds an engine around a given adapter, without validation or directory creation (for
    // tests that need an adapter which fails on demand).
    static RuntimeResult<std::unique_ptr<Engine>> build_with_adapter(
        EngineConfig config, AuditLog audit, std::unique_ptr<MarketDataAdapter> adapter,
        std::unique_ptr<persist::RollingStore> store);

  private:
    Engine(EngineConfig config, AuditLog audit, std::unique_ptr<MarketDataAdapter> adapter,
           std::unique_ptr<persist::RollingStore> store);

    std::uint64_t now_ns() const { return clock_ ? clock_() : unix_ts_nanos_(); }
    static std::uint64_t unix_ts_nanos_();

    using InstrumentMap = std::unordered_map<SymbolId, InstrumentState, SymbolIdHash, SymbolIdEq>;
    InstrumentState& state_for(const SymbolId& symbol);
    InstrumentState* find_mutable(SymbolView symbol);

    // Makes the batch one event of the given kind (0 book update, 1 trade), reusing storage.
    template <std::size_t Kind, typename Event>
    const RawEvent& single_event_batch(const Event& event);
    RuntimeResult<> ingest(const RawEvent& event, const SymbolId& symbol, std::uint64_t sequence,
                           bool is_trade, QualityFlags host_flags);
    QualityFlags external_sequence_flags(InstrumentState& state, std::uint64_t sequence,
                                         bool is_trade);
    RuntimeResult<> process_event(const RawEvent& event, QualityFlags flags,
                                  InstrumentState& state);
    RuntimeResult<> process_book(const BookUpdate& update, QualityFlags flags,
                                 InstrumentState& state);
    RuntimeResult<> process_trade(const TradePrint& trade, QualityFlags flags,
                                  InstrumentState& state);
    void cache_signal_explanation(InstrumentState& state, const SignalSnapshot* blocked);
    void store_signal(InstrumentState& state, const SignalSnapshot& snapshot);
    void note_created(InstrumentState& state, bool was_tracked);
    RuntimeResult<> audit(std::string_view event, const std::string& details);

    HealthFingerprint fingerprint(bool breaker_open) const;
    bool breaker_open_now() const;
    // Whether market-data persistence reports itself degraded (never while none is set up).
    bool persistence_degraded() const { return persistence_ && persistence_->health().degraded; }

    // Adapter health and the summary values derived from it when a document is built.
    struct HealthView {
        MarketDataAdapterHealth adapter;
        bool breaker_open = false;
        bool healthy = false;
        std::string_view runtime_status;
    };
    HealthView health_view() const;

    EngineConfig config_;
    AuditLog audit_;
    std::unique_ptr<MarketDataAdapter> adapter_;
    std::unique_ptr<persist::RollingStore> store_;
    // Declared after the members the pipeline uses, so it is released (and its writer joined)
    // before them.
    std::unique_ptr<RuntimeMarketDataPersistence> persistence_;
    DeltaMomentumSignal signal_;
    AnalyticsConfig analytics_config_;

    // Host-push feed.
    std::optional<std::uint64_t> last_external_event_ns_;
    std::uint64_t stale_after_ms_ = 15000;
    bool enforce_sequence_ = true;
    bool external_feed_enabled_ = false;
    bool reconnecting_ = false;

    // Poll loop.
    std::optional<std::uint64_t> max_per_poll_;
    CircuitBreakerState breaker_;
    std::uint64_t dropped_events_ = 0;
    std::vector<RawEvent> poll_buffer_;

    // Health and counters.
    HealthFingerprint last_fingerprint_;
    bool have_fingerprint_ = false;
    std::uint64_t health_seq_ = 0;
    std::uint64_t processed_events_ = 0;
    QualityFlags current_flags_ = 0;
    bool started_ = false;

    std::vector<RawEvent> batch_;
    RawEvent spare_event_;  // storage of the other event kind for host-push batches
    InstrumentMap instruments_;
    InstrumentCounts counts_;
    // Scratch reused on every trade so the pipeline does not allocate in steady state.
    SignalSnapshot scratch_snapshot_;
    SignalExplanation scratch_explanation_;
    Clock clock_;
};

}  // namespace qx
