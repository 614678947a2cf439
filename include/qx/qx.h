/*
 * qx: a market-microstructure engine with a plain C interface.
 *
 * Conventions shared by every function in this header:
 *
 * Status codes. Functions that can fail return a qx_status_t:
 *   QX_STATUS_OK (0)                success
 *   QX_STATUS_INVALID_ARGUMENT (1)  a required pointer is NULL, a text is not valid UTF-8 or is
 *                                   blank where a value is required, an enumeration field is out
 *                                   of range, a record cannot be converted; for caller buffers
 *                                   also a missing or too small buffer
 *   QX_STATUS_REFUSED (2)           refused or failed in the current state (not started, adapter
 *                                   or audit-log failure, not configured, not found, unsupported)
 *   QX_STATUS_IO (3)                input/output failure (persistence and integrity reports)
 *   QX_STATUS_CAPACITY (5)          capacity exceeded (backpressure, buffers or queues full)
 *   QX_STATUS_RISK_REJECTED (7)     order rejected by the execution risk checks
 *   QX_STATUS_UNDELIVERABLE (255)   the library's text cannot be delivered (it contained a NUL
 *                                   byte), or an execution adapter or journal error
 * Where several failing conditions apply they are checked in the order each function lists.
 *
 * Internal failures. No C++ exception ever leaves the library and nothing aborts the host. If a
 * call meets an unexpected internal failure (memory exhausted, for instance) it returns
 * QX_STATUS_UNDELIVERABLE (255) and writes none of its out-parameters; functions without a
 * status return their neutral value (destroy and free functions simply return).
 *
 * Handles are opaque pointers created by one function and released by exactly one other;
 * release functions ignore NULL. A handle must not be used after release.
 *
 * Text arguments are NUL-terminated UTF-8. Required texts (symbol references, JSON documents)
 * must be non-NULL and valid UTF-8; the empty string is accepted. Optional texts count as absent
 * when NULL, not valid UTF-8, empty or made only of Unicode white space; otherwise they are taken
 * whole, without trimming.
 *
 * Returned strings (char** out_json, uint32_t* out_len): on status 0 *out_json receives a newly
 * allocated NUL-terminated UTF-8 string and *out_len its length without the NUL; release it with
 * qx_string_free. On any other status neither out-parameter is written.
 *
 * Caller buffers (void* buf, uint32_t* len): on entry *len is the capacity in bytes. If buf or
 * len is NULL the call returns 1 and writes nothing. Otherwise *len is set to the length the text
 * needs; if the capacity is smaller the call returns 1 and leaves the buffer untouched, else the
 * text is copied without a terminating NUL and the call returns 0. To learn the size, pass a
 * non-NULL buffer with capacity 0 and read *len after status 1.
 *
 * JSON documents use a fixed key order and no white space. Floating-point values print in the
 * shortest form that reads back as the same double, never in exponent form, or with a fixed
 * number of decimals where a document says so; non-finite values print as NaN, inf and -inf.
 *
 * Threads: an engine handle carries no lock; do not call two functions on the same handle at the
 * same time. qx_api_version, qx_execution_api_version, qx_build_info, qx_string_free and the
 * functions that take no handle may be called from any thread.
 */
#ifndef QX_QX_H
#define QX_QX_H

#include <stddef.h>
#include <stdint.h>

#if defined(QX_BUILDING_LIBRARY)
#define QX_API __attribute__((visibility("default")))
#else
#define QX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------------------------ */
/* Status codes                                                                                 */
/* ------------------------------------------------------------------------------------------ */

typedef int32_t qx_status_t;

#define QX_STATUS_OK ((qx_status_t)0)
#define QX_STATUS_INVALID_ARGUMENT ((qx_status_t)1)
#define QX_STATUS_REFUSED ((qx_status_t)2)
#define QX_STATUS_IO ((qx_status_t)3)
#define QX_STATUS_CAPACITY ((qx_status_t)5)
#define QX_STATUS_RISK_REJECTED ((qx_status_t)7)
#define QX_STATUS_UNDELIVERABLE ((qx_status_t)255)

/* ------------------------------------------------------------------------------------------ */
/* Handles                                                                                      */
/* ------------------------------------------------------------------------------------------ */

/* A runtime engine together with its callback subscriptions. */
typedef struct qx_engine qx_engine_t;
/* One registered callback; independent of its engine's lifetime. */
typedef struct qx_subscription qx_subscription_t;

/* ------------------------------------------------------------------------------------------ */
/* Records                                                                                      */
/* ------------------------------------------------------------------------------------------ */

/*
 * How a host names an instrument (24 bytes). venue and symbol are required texts compared byte
 * for byte; the empty string is a valid venue distinct from every other. depth_levels is the
 * requested book depth, read only by qx_subscribe.
 */
typedef struct qx_symbol_ref_t {
    const char* venue;
    const char* symbol;
    uint16_t depth_levels;
} qx_symbol_ref_t;

/* ------------------------------------------------------------------------------------------ */
/* Versions, build identification and string release                                           */
/* ------------------------------------------------------------------------------------------ */

/* The C interface version: 0x00010000 (65536). */
QX_API uint32_t qx_api_version(void);

/* The execution interface version; the same value as qx_api_version. */
QX_API uint32_t qx_execution_api_version(void);

/*
 * A static NUL-terminated build identification text ("qx_ffi_c/0.5.0"); the same pointer on
 * every call. It belongs to the library: never pass it to qx_string_free.
 */
QX_API const char* qx_build_info(void);

/* Releases a string returned through an out_json parameter. NULL is ignored. */
QX_API void qx_string_free(char* s);

/* @@QX_SECTION engine: lifecycle, ingest, subscriptions, callbacks, queries, poll, health @@ */

/*
 * Data-quality bits attached to each event (QualityFlags). Bits above 5 are carried along
 * unchanged. The signal quality gate blocks on STALE_FEED, SEQUENCE_GAP, OUT_OF_ORDER and
 * ADAPTER_DEGRADED (mask 0x33).
 */
#define QX_QUALITY_STALE_FEED 1u
#define QX_QUALITY_SEQUENCE_GAP 2u
#define QX_QUALITY_CLOCK_SKEW 4u
#define QX_QUALITY_DEPTH_TRUNCATED 8u
#define QX_QUALITY_OUT_OF_ORDER 16u
#define QX_QUALITY_ADAPTER_DEGRADED 32u

/*
 * Engine creation settings. Optional texts (NULL, invalid UTF-8 or blank means absent):
 * instance_id replaces the configured instance id; config_path names a TOML or JSON
 * configuration file, absent selects the built-in settings (instance "default", data root
 * "data", audit log "audit/quorix_audit.log", redaction tokens secret/password/token/api_key,
 * audit 10485760 bytes x 5 files, retention 10485760 bytes and 604800 s, signal threshold 100,
 * mock adapter). enable_persistence (non-zero = true) always replaces the configured value; the
 * numbers replace the configured values when non-zero; audit_redact_tokens is a comma-separated
 * list (pieces trimmed, empty pieces dropped; no piece left keeps the configured list).
 */
typedef struct qx_engine_config_t {
    const char* instance_id;
    const char* config_path;
    uint8_t enable_persistence;
    uint64_t audit_max_bytes;
    uint32_t audit_max_files;
    const char* audit_redact_tokens;
    uint64_t data_retention_max_bytes;
    uint64_t data_retention_max_age_secs;
} qx_engine_config_t;

/* One trade. aggressor: 0 = Bid (a sell), 1 = Ask (a buy). sequence 0 = unsequenced. */
typedef struct qx_trade_t {
    qx_symbol_ref_t symbol; /* depth_levels is ignored */
    int64_t price;
    int64_t size;
    uint32_t aggressor;
    uint64_t sequence;
    uint64_t ts_exchange_ns;
    uint64_t ts_recv_ns;
} qx_trade_t;

/* One level change. side: 0 = Bid, 1 = Ask; action: 0 = Upsert, 1 = Delete. */
typedef struct qx_book_update_t {
    qx_symbol_ref_t symbol; /* depth_levels is ignored */
    uint32_t side;
    uint16_t level;
    int64_t price;
    int64_t size;
    uint32_t action;
    uint64_t sequence;
    uint64_t ts_exchange_ns;
    uint64_t ts_recv_ns;
} qx_book_update_t;

/* Host-push feed settings: stale_after_ms 0 disables the staleness check. */
typedef struct qx_external_feed_config_t {
    uint64_t stale_after_ms;
    uint8_t enforce_sequence;
} qx_external_feed_config_t;

/*
 * What a callback receives. json is NOT NUL-terminated: read exactly json_len bytes. The record
 * and its text are valid only during the call. reserved is always 1.
 */
typedef struct qx_callback_event_t {
    uint64_t ts_exchange_ns;
    uint64_t ts_recv_ns;
    uint32_t kind;
    const char* json;
    uint32_t json_len;
    uint32_t reserved;
    uint32_t quality_flags;
} qx_callback_event_t;

typedef void (*qx_callback_fn)(const qx_callback_event_t* event, void* user_data);

/* Callback kinds for qx_subscribe. Any other value receives "{}" on every full dispatch. */
#define QX_CALLBACK_BOOK_UPDATE 1
#define QX_CALLBACK_TRADE 2
#define QX_CALLBACK_ANALYTICS 3
#define QX_CALLBACK_SIGNAL 4
#define QX_CALLBACK_HEALTH 5
#define QX_CALLBACK_BOOK_SNAPSHOT 6
#define QX_CALLBACK_DERIVED_ANALYTICS 7

/*
 * Windows, capacities and thresholds with which per-instrument trackers are created. Windows and
 * capacities reach a tracker only when it is created; the two thresholds apply from the next
 * event. Sanitising: vpin_bucket_volume 0 becomes 1; every other window or capacity above
 * 1000000 becomes 1000000.
 */
typedef struct qx_analytics_config_t {
    int64_t institutional_min_size;       /* default 5000 */
    uint64_t book_event_window_ns;        /* default 1000000000 */
    uint32_t vpin_bucket_volume;          /* default 5000 */
    uint32_t vpin_window;                 /* default 50 */
    uint32_t kyle_window;                 /* default 100 */
    uint32_t cvd_window;                  /* default 50 */
    uint32_t volatility_window;           /* default 100 */
    uint32_t noise_window;                /* default 100 */
    uint32_t hasbrouck_window;            /* default 100 */
    uint32_t almgren_chriss_window;       /* default 100 */
    uint32_t acd_window;                  /* default 100 */
    uint32_t vol_signature_window;        /* default 200 */
    uint32_t agent_type_window;           /* default 100 */
    uint32_t institutional_window;        /* default 100 */
    uint32_t resiliency_window;           /* default 1024 */
    uint32_t spread_decomposition_window; /* default 100 */
    uint32_t regime_window;               /* default 100 */
    uint32_t book_event_capacity;         /* default 65536 */
    uint32_t spread_window;               /* default 1024 */
} qx_analytics_config_t;

/* ---- Lifecycle ---- */

/*
 * Creates a stopped engine. 1: config or out_engine NULL, or a configuration file given that
 * cannot be loaded. 2: construction failed (startup validation, directory creation, adapter
 * creation). *out_engine is written only on success.
 */
QX_API qx_status_t qx_engine_create(const qx_engine_config_t* config, qx_engine_t** out_engine);

/* Releases the engine and everything it owns. NULL does nothing. Subscription handles the host
 * still holds stay valid for qx_unsubscribe. */
QX_API void qx_engine_destroy(qx_engine_t* engine);

/* Connects the adapter and starts the engine. 1: NULL. 2: adapter connect failed, or the audit
 * log could not be written (the engine then stays started). */
QX_API qx_status_t qx_engine_start(qx_engine_t* engine);

/* Stops the engine and drains the adapter without processing. 1: NULL; otherwise 0. */
QX_API qx_status_t qx_engine_stop(qx_engine_t* engine);

/* ---- Host-push ingest (the engine must be started) ---- */

/*
 * Pushes one trade with host QualityFlags. 1: engine or trade NULL, invalid symbol reference,
 * aggressor not 0 or 1. 2: refused or failed by the engine (not started, persistence safety
 * policy, audit or persistence failure); no callback is delivered. On 0 the callbacks for the
 * event are delivered before the call returns.
 */
QX_API qx_status_t qx_ingest_trade(qx_engine_t* engine, const qx_trade_t* trade, uint32_t flags);

/* Pushes one book update; as qx_ingest_trade, with side and then action checked (1). */
QX_API qx_status_t qx_ingest_book(qx_engine_t* engine, const qx_book_update_t* update,
                                  uint32_t flags);

/* ---- Subscriptions and callbacks ---- */

/*
 * Subscribes an instrument at the adapter and, when callback is not NULL, registers it for the
 * given kind (not validated). 1: engine, symbol or out_subscription NULL, or an invalid symbol.
 * 2: adapter subscribe or audit-log write failed. On 0 *out_subscription receives a handle to
 * release with qx_unsubscribe (also valid after the engine is destroyed).
 */
QX_API qx_status_t qx_subscribe(qx_engine_t* engine, const qx_symbol_ref_t* symbol, int32_t kind,
                                qx_callback_fn callback, void* user_data,
                                qx_subscription_t** out_subscription);

/* Deactivates the registration and releases the handle; safe from any thread, before or after
 * the engine is destroyed. The adapter subscription is kept. 1: NULL; otherwise 0. */
QX_API qx_status_t qx_unsubscribe(qx_subscription_t* subscription);

/* Unsubscribes the instrument at the adapter and deactivates its registrations. 1: NULL or
 * invalid symbol. 2: adapter unsubscribe or audit-log write failed. */
QX_API qx_status_t qx_unsubscribe_symbol(qx_engine_t* engine, const qx_symbol_ref_t* symbol);

/* Clears the instrument's trade-flow session (an unknown instrument is not an error). 1: NULL or
 * invalid symbol. 2: audit-log write failed (the reset has been made). */
QX_API qx_status_t qx_reset_symbol_session(qx_engine_t* engine, const qx_symbol_ref_t* symbol);

/* ---- Host-push feed health (the engine must be started) ---- */

/* 1: engine or config NULL. 2: not started, or audit-log write failed (settings in force). */
QX_API qx_status_t qx_configure_external_feed(qx_engine_t* engine,
                                              const qx_external_feed_config_t* config);

/* Re-evaluates staleness and delivers health callbacks. 1: NULL. 2: not started. */
QX_API qx_status_t qx_external_health_tick(qx_engine_t* engine);

/* Sets the reconnecting state (non-zero = true). 1: NULL. 2: not started or audit-log write
 * failed. */
QX_API qx_status_t qx_external_set_reconnecting(qx_engine_t* engine, uint8_t reconnecting);

/* ---- Poll loop ---- */

/*
 * Drains the adapter once and processes the events with the host's QualityFlags. 0: success.
 * 1: NULL. 2: not started, circuit breaker open, adapter poll failed or pipeline error.
 * 5: backpressure (QX_RUNTIME_MAX_EVENTS_PER_POLL): newer events were dropped; the kept events
 * were processed and their callbacks delivered. Environment read at creation:
 * QX_RUNTIME_MAX_EVENTS_PER_POLL, QX_RUNTIME_CIRCUIT_BREAKER_FAILURES,
 * QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS.
 */
QX_API qx_status_t qx_engine_poll_once(qx_engine_t* engine, uint32_t flags);

/* ---- Configuration of analytics ---- */

/* Replaces the analytics configuration (NULL selects the defaults). 1: engine NULL; else 0. */
QX_API qx_status_t qx_engine_set_analytics_config(qx_engine_t* engine,
                                                  const qx_analytics_config_t* config);

/* Placeholder: 1 when engine is NULL, otherwise 2 (not supported). */
QX_API qx_status_t qx_engine_set_tickbar_interval(qx_engine_t* engine, uint64_t interval_ns);

/* Placeholder: 1 when any pointer is NULL, otherwise 2 (not supported); writes nothing. */
QX_API qx_status_t qx_get_bar_series(qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                     void* buf, uint32_t* len);

/*
 * ---- Per-instrument queries (caller buffer) ----
 * All return 1 when engine or symbol is NULL, the symbol reference is invalid, buf or len is
 * NULL, or the buffer is too small (with *len set to the needed size); otherwise 0, also for an
 * unknown instrument. None creates state or changes the engine.
 */

/* {"mid":M} with M = (best bid + best ask) / 2 truncated, or {} without both sides. */
QX_API qx_status_t qx_get_mid_price(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                    void* buf, uint32_t* len);
/* The book snapshot document, or {} without a book. */
QX_API qx_status_t qx_get_book_snapshot(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                        void* buf, uint32_t* len);
/* best_bid, best_ask, quoted_spread, relative_spread_bps, microprice, bid_depth, ask_depth,
 * depth_imbalance_bps; {} without a book. */
QX_API qx_status_t qx_get_book_analytics_snapshot(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, void* buf,
                                                  uint32_t* len);
/* Sixteen book features with 4 decimals; all 0.0000 without a book. */
QX_API qx_status_t qx_compute_lob_features(const qx_engine_t* engine,
                                           const qx_symbol_ref_t* symbol, void* buf, uint32_t* len,
                                           double trade_flow_imbalance, double cancel_intensity,
                                           double arrival_intensity);
/* {"slope":S} with 4 decimals (0.0000 without a book). */
QX_API qx_status_t qx_compute_depth_slope(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                          uint32_t levels, void* buf, uint32_t* len);
/* {"price":P} for a quantity walked through the book (positive buys), or {}. */
QX_API qx_status_t qx_compute_weighted_average_price(const qx_engine_t* engine,
                                                     const qx_symbol_ref_t* symbol,
                                                     int64_t quantity, void* buf, uint32_t* len);
/* delta, cumulative_delta, buy_volume, sell_volume, last_price, point_of_control,
 * value_area_low, value_area_high; {} without trades. */
QX_API qx_status_t qx_get_analytics_snapshot(const qx_engine_t* engine,
                                             const qx_symbol_ref_t* symbol, void* buf,
                                             uint32_t* len);
/* total_volume, trade_count, vwap, average_trade_size, imbalance_bps; {} without trades. */
QX_API qx_status_t qx_get_derived_analytics_snapshot(const qx_engine_t* engine,
                                                     const qx_symbol_ref_t* symbol, void* buf,
                                                     uint32_t* len);
/* open, high, low, close, trade_count, first_ts_exchange_ns, last_ts_exchange_ns; {} without a
 * session candle. */
QX_API qx_status_t qx_get_session_candle_snapshot(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, void* buf,
                                                  uint32_t* len);
/* The candle of the trades in the last window_ns: window_ns, open, high, low, close,
 * trade_count, total_volume, vwap, first_ts_exchange_ns, last_ts_exchange_ns; {} without
 * trades. */
QX_API qx_status_t qx_get_interval_candle_snapshot(const qx_engine_t* engine,
                                                   const qx_symbol_ref_t* symbol,
                                                   uint64_t window_ns, void* buf, uint32_t* len);
/* {"module":M,"state":S,"confidence_bps":C,"quality_flags":Q,"reason":R}, or {}. */
QX_API qx_status_t qx_get_signal_snapshot(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                          void* buf, uint32_t* len);

/*
 * ---- Engine documents (returned strings, release with qx_string_free) ----
 * 1: a NULL argument (or an invalid symbol reference); 255: the text holds a NUL byte.
 */

/* The instrument's latest signal explanation, or {}. */
QX_API qx_status_t qx_get_signal_explanation_json(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, char** out_json,
                                                  uint32_t* out_len);
/* Counts of signal states across instruments. */
QX_API qx_status_t qx_get_signal_metrics_json(const qx_engine_t* engine, char** out_json,
                                              uint32_t* out_len);
/* The engine's metrics document (embeds the adapter status and persistence documents). */
QX_API qx_status_t qx_get_metrics_json(qx_engine_t* engine, char** out_json, uint32_t* out_len);
/* The active adapter's status document. */
QX_API qx_status_t qx_get_active_adapter_status_json(qx_engine_t* engine, char** out_json,
                                                     uint32_t* out_len);

/* @@QX_SECTION adapters @@ */

/*
 * The provider inventory: every market-data provider this library knows, as the JSON text
 * {"schema_version":1,"adapters":[...],"compiled_count":1,"total_count":4}, with one descriptor
 * object each for mock, rithmic, cqg and binance (keys provider, provider_id, display_name,
 * feature, compiled, quality, the thirteen supports_* flags, active, notes). Only the mock is
 * compiled into this build; active is false throughout. Needs no engine; callable from any
 * thread.
 * Returns 0 with the string stored (release it with qx_string_free), 1 when out_json or out_len
 * is NULL, 255 when the text cannot be delivered.
 */
QX_API qx_status_t qx_get_adapter_inventory_json(char** out_json, uint32_t* out_len);

/* @@QX_SECTION signals @@ */

/*
 * Signal catalogue and configuration checks. These functions take no engine handle, keep no
 * state and may be called from any thread.
 *
 * Signal documents write text with their own JSON escaping: besides \" \\ \t \n \r, every
 * other control character below U+0020 and every character from U+007F to U+009F is written
 * as \u00xx, so these documents never contain a raw control character.
 */

/* Kinds of qx_signal_config_parameter_t.kind. */
#define QX_SIGNAL_PARAMETER_INTEGER 1
#define QX_SIGNAL_PARAMETER_FLOAT 2
#define QX_SIGNAL_PARAMETER_BOOLEAN 3
#define QX_SIGNAL_PARAMETER_TEXT 4

/*
 * One named signal parameter (48 bytes). name is a required UTF-8 text. kind selects the value
 * field that is read: integer_value (1), float_value (2, must be finite), boolean_value (3, must
 * be 0 or 1) or text_value (4, a required UTF-8 text). Any other kind, or a value that breaks
 * these rules, makes the whole call fail with status 1.
 */
typedef struct qx_signal_config_parameter_t {
    const char* name;
    int32_t kind;
    int64_t integer_value;
    double float_value;
    uint8_t boolean_value;
    const char* text_value;
} qx_signal_config_parameter_t;

/*
 * One recorded analytics event for replay validation (80 bytes): the eight order-flow values
 * (last_price is also the entry and markout price) and an exchange timestamp that counts only
 * when has_ts_exchange_ns is nonzero.
 */
typedef struct qx_signal_replay_event_t {
    int64_t delta;
    int64_t cumulative_delta;
    int64_t buy_volume;
    int64_t sell_volume;
    int64_t last_price;
    int64_t point_of_control;
    int64_t value_area_low;
    int64_t value_area_high;
    uint64_t ts_exchange_ns;
    uint8_t has_ts_exchange_ns;
} qx_signal_replay_event_t;

/*
 * How replay predictions are scored (24 bytes). markout_horizon_events: events between a
 * prediction and its markout (0 is scored as 1, with a warning). flat_price_threshold: the
 * largest absolute price change counted as flat (negative counts as 0). min_confidence_bps:
 * snapshots below it make no prediction. store_samples, check_monotonic_timestamps: nonzero is
 * true.
 */
typedef struct qx_signal_replay_config_t {
    uint32_t markout_horizon_events;
    int64_t flat_price_threshold;
    uint16_t min_confidence_bps;
    uint8_t store_samples;
    uint8_t check_monotonic_timestamps;
} qx_signal_replay_config_t;

/*
 * Returns {"schema_version":1,"signals":[...]}: the descriptors of the seven built-in signal
 * types (identifier, name, version, description, required inputs, warm-up, typed parameters
 * with default, min and max, output semantics, deterministic, checkpointable).
 * Status: 0; 1 when out_json or out_len is NULL.
 */
QX_API qx_status_t qx_get_signal_descriptors_json(char** out_json, uint32_t* out_len);

/*
 * Checks a signal configuration against the built-in catalogue and returns
 * {"schema_version":1,"signal_id":"..","valid":true|false,"error":null|".."}. parameters may be
 * NULL only when parameter_count is 0. An invalid configuration is a result, not a failure.
 * Status: 0 for valid and invalid configurations alike; 1 when signal_id, out_json or out_len
 * is NULL, signal_id is not valid UTF-8, parameters is NULL with a nonzero count, or a
 * parameter record fails conversion (then nothing is written).
 */
QX_API qx_status_t qx_validate_signal_config_json(const char* signal_id,
                                                  const qx_signal_config_parameter_t* parameters,
                                                  uint32_t parameter_count, char** out_json,
                                                  uint32_t* out_len);

/*
 * Builds the configured signal module, feeds it the events in order and scores each prediction
 * against the price markout_horizon_events later. Returns the report
 * {"schema_version":1,"valid":true,"module_id":..,"config":{..},counts..,
 *  "directional_accuracy_bps":..,"label_coverage_bps":..,"warning_count":..,"samples":[..],
 *  "warnings":[..]}, or {"schema_version":1,"signal_id":"..","valid":false,"error":".."} when
 * the configuration is rejected. Empty input, a zero horizon, events without a markout and
 * timestamps going backwards are warnings inside a valid report. events may be NULL only when
 * event_count is 0.
 * Status: 0 (also for a rejected configuration); 1 when config, out_json, out_len or signal_id
 * is NULL, signal_id is not valid UTF-8, a parameter record fails conversion, or events or
 * parameters is NULL with a nonzero count.
 */
QX_API qx_status_t qx_validate_signal_replay_json(
    const char* signal_id, const qx_signal_config_parameter_t* parameters, uint32_t parameter_count,
    const qx_signal_replay_event_t* events, uint32_t event_count,
    const qx_signal_replay_config_t* config, char** out_json, uint32_t* out_len);

/* @@QX_SECTION persistence @@ */

/*
 * Market-data write-ahead log of an engine: every processed event is queued, without blocking,
 * for a background writer thread that appends it to numbered segment files under root_dir.
 * Zero fields select the defaults: segment_target_bytes 268435456, max_payload_bytes 8388608,
 * queue_capacity 4096, queued_payload_capacity 67108864, thread_name "quorix-market-data-wal".
 * sync_mode: 0 on seal, 1 never, 2 every record, 3 every sync_every_records records (non-zero).
 * failure_action decides what a refused event means: 0 mark degraded, 1 stop market data (the
 * event fails and later events are refused), 2 stop trading (reported in blocks_trading),
 * 3 fail closed (as 1), 4 switch to memory-only operation.
 */
typedef struct qx_market_data_wal_config_t {
    const char* root_dir; /* required (blank counts as absent) */
    uint64_t segment_target_bytes;
    uint64_t max_payload_bytes;
    uint32_t sync_mode;
    uint64_t sync_every_records;
    uint8_t sync_manifest; /* non-zero: sync the manifest before it replaces the old one */
    uint32_t queue_capacity;
    uint64_t queued_payload_capacity;
    uint32_t failure_action;
    const char* thread_name; /* optional */
} qx_market_data_wal_config_t;

/* 1: engine or config NULL, root_dir absent, sync_mode or failure_action invalid. 2: the engine
 * already has persistence. 3: the log cannot be opened (an unclean root included) or the writer
 * cannot be started; the engine then stays without persistence. */
QX_API qx_status_t qx_configure_market_data_wal(qx_engine_t* engine,
                                                const qx_market_data_wal_config_t* config);

/* Waits until everything queued so far is written and synced. 1: NULL. 2: no persistence.
 * 3: the flush failed. */
QX_API qx_status_t qx_flush_market_data_wal(qx_engine_t* engine);

/* The persistence document (returned string). 1: a NULL argument. */
QX_API qx_status_t qx_get_market_data_persistence_health_json(const qx_engine_t* engine,
                                                              char** out_json, uint32_t* out_len);

/* Shuts the writer down (syncing what it holds) and removes the persistence from the engine.
 * 1: NULL. 0 also when nothing is configured. 3: the shutdown reported an error (the
 * persistence is removed all the same). */
QX_API qx_status_t qx_shutdown_market_data_wal(qx_engine_t* engine);

/* @@QX_SECTION execution @@ */

/*
 * Execution engine: an order manager with per-route pre-trade risk limits, a simulated venue
 * that acknowledges and fills every new order at once, and an in-memory journal.
 *
 * Text fields of request records are const char*. A required identifier must be present
 * (non-NULL, valid UTF-8, not empty or white space only), fit its capacity (given as "<= N"
 * characters) and be ASCII, else the whole record is invalid (status 1). An optional
 * identifier that is absent, too long or not ASCII becomes empty and the record stays valid.
 * Text fields of output records are zero-filled char arrays one byte longer than the
 * capacity, so they are always NUL-terminated.
 *
 * Statuses of the execution functions: 1 for a NULL required pointer or a record that cannot
 * be converted; engine outcomes map as follows: adapter disconnected (engine not started) 2,
 * event buffer full 5, route not found 2, risk rejection 7, invalid identifier, quantity,
 * price or order state transition 1, adapter or journal error 255. An order the engine does
 * not know gives 2.
 *
 * Enumeration codes: side 1..2; order_type 1 Market, 2 Limit, 3 Stop, 4 StopLimit;
 * time_in_force 1..5; order status 1 PendingNew, 2 New, 3 PartiallyFilled, 4 Filled,
 * 5 PendingCancel, 6 Canceled, 7 PendingReplace, 8 Replaced, 9 Rejected, 10 Expired,
 * 11 Restated, 12 Unknown; event kind 1 New, 2 Rejected, 3 Trade, 4 PendingCancel, 5 Canceled,
 * 6 CancelRejected, 7 PendingReplace, 8 Replaced, 9 ReplaceRejected, 10 Expired,
 * 11 Restatement, 12 StatusReport, 13 Informational; reject_reason 0 None, 1 KillSwitch,
 * 2 AccountDisabled, 3 RouteDisabled, 4 SymbolDisabled, 5 MaxOrderQty, 6 MaxOrderNotional,
 * 7 MaxOpenOrders, 8 MaxOpenNotional, 9 PriceBand, 10 DuplicateClientOrderId,
 * 11 UnsupportedOrderType, 12 UnsupportedTimeInForce.
 */

/* One execution engine with the simulated venue. */
typedef struct qx_execution_engine qx_execution_engine_t;

/*
 * One route and its risk limits (80 bytes). route (<= 32), account (<= 32), venue (<= 16) and
 * symbol (<= 32) are required and form the route's key; a later route with the same key
 * replaces an earlier one. A route with enabled 0 is invisible (orders on it get "route not
 * found"); kill_switch non-zero refuses every new order and amend (cancels still pass).
 * Limits: max_order_qty, max_order_notional (quantity x price), max_open_notional (open
 * notional of the route plus the order's) and price_band mean "no limit" when <= 0;
 * max_open_orders when 0. No numeric field is validated.
 */
typedef struct qx_route_config_t {
    const char* route;
    const char* account;
    const char* venue;
    const char* symbol;
    uint8_t enabled;
    uint8_t kill_switch;
    int64_t max_order_qty;
    int64_t max_order_notional;
    uint32_t max_open_orders;
    int64_t max_open_notional;
    int64_t price_band;
} qx_route_config_t;

/*
 * A new order (104 bytes). client_order_id (<= 40), account, route (<= 32 each), venue
 * (<= 16) and symbol (<= 32) are required; tag (<= 32) is optional. side 1..2, order_type
 * 1..4 and time_in_force 1..5 are checked here; quantity must be positive and the prices the
 * order type needs (Limit: limit_price, Stop: stop_price, StopLimit: both) positive, which the
 * engine checks (status 1). origin_ts_ns is copied into the events of this submission.
 */
typedef struct qx_order_request_t {
    const char* client_order_id;
    const char* account;
    const char* route;
    const char* tag;
    const char* venue;
    const char* symbol;
    uint32_t side;
    uint32_t order_type;
    uint32_t time_in_force;
    int64_t quantity;
    int64_t limit_price;
    int64_t stop_price;
    uint64_t origin_ts_ns;
    uint64_t ts_ns;
} qx_order_request_t;

/*
 * Cancel/replace of an order (80 bytes). client_order_id (<= 40, the identifier the order
 * carries after the replace), orig_client_order_id (<= 40, the order to amend), account,
 * route (<= 32 each), venue (<= 16) and symbol (<= 32) are required; venue_order_id (<= 48)
 * is optional.
 */
typedef struct qx_amend_request_t {
    const char* client_order_id;
    const char* orig_client_order_id;
    const char* venue_order_id;
    const char* account;
    const char* route;
    const char* venue;
    const char* symbol;
    int64_t new_quantity;
    int64_t new_price;
    uint64_t ts_ns;
} qx_amend_request_t;

/*
 * Cancel of an order (64 bytes). client_order_id (<= 40, the cancel request's own
 * identifier), orig_client_order_id (<= 40, the order to cancel), account, route (<= 32
 * each), venue (<= 16) and symbol (<= 32) are required; venue_order_id (<= 48) is optional.
 */
typedef struct qx_cancel_request_t {
    const char* client_order_id;
    const char* orig_client_order_id;
    const char* venue_order_id;
    const char* account;
    const char* route;
    const char* venue;
    const char* symbol;
    uint64_t ts_ns;
} qx_cancel_request_t;

/* One execution event reported by the venue, or a local risk rejection (496 bytes). */
typedef struct qx_execution_event_t {
    uint32_t kind;
    uint32_t status;
    char client_order_id[41];
    char orig_client_order_id[41];
    char venue_order_id[49];
    char execution_id[49];
    char account[33];
    char route[33];
    char venue[17];
    char symbol[33];
    int64_t last_qty;
    int64_t last_price;
    int64_t cum_qty;
    int64_t leaves_qty;
    int64_t avg_price;
    uint64_t origin_ts_ns;
    uint64_t ts_ns;
    uint32_t reject_reason;
    char text[129];
} qx_execution_event_t;

/* One order's state (256 bytes). */
typedef struct qx_order_state_t {
    char client_order_id[41];
    char venue_order_id[49];
    char account[33];
    char route[33];
    char venue[17];
    char symbol[33];
    uint32_t status;
    int64_t quantity;
    int64_t filled_qty;
    int64_t leaves_qty;
    int64_t avg_price;
    uint64_t updated_ts_ns;
} qx_order_state_t;

/* The venue adapter's health (16 bytes). connected and degraded are 0 or 1. */
typedef struct qx_execution_health_t {
    uint8_t connected;
    uint8_t degraded;
    uint64_t connect_count;
} qx_execution_health_t;

/* The engine's counters (40 bytes); each saturates at its maximum. */
typedef struct qx_execution_metrics_t {
    uint64_t orders_submitted;
    uint64_t cancels_sent;
    uint64_t amends_sent;
    uint64_t events_applied;
    uint64_t risk_rejects;
} qx_execution_metrics_t;

/*
 * Creates a stopped engine over one route. 0 with *out set; 1 when route or out is NULL or
 * the route record is invalid (*out untouched).
 */
QX_API qx_status_t qx_execution_engine_create(const qx_route_config_t* route,
                                              qx_execution_engine_t** out);

/*
 * Creates a stopped engine over count routes, read in array order. 0 with *out set; 1 when
 * routes or out is NULL, count is 0 or any record is invalid (no engine is created).
 */
QX_API qx_status_t qx_execution_engine_create_multi(const qx_route_config_t* routes,
                                                    uint32_t count,
                                                    qx_execution_engine_t** out);

/* Releases the engine and everything it holds. NULL is ignored. */
QX_API void qx_execution_engine_destroy(qx_execution_engine_t* engine);

/*
 * Starts the engine (connects the simulated venue); may be called again, each call counting
 * one more connect. 0; 1 for NULL.
 */
QX_API qx_status_t qx_execution_engine_start(qx_execution_engine_t* engine);

/* 0; 1 for NULL. Changes nothing: a started engine stays started and accepts orders. */
QX_API qx_status_t qx_execution_engine_stop(qx_execution_engine_t* engine);

/*
 * Event delivery for submit, amend, cancel and poll: on entry *event_count is the capacity of
 * the events array; on return it holds the number n of events the call produced (also when
 * the call failed: a risk rejection delivers its Rejected event, a failure while applying
 * venue events delivers the events applied before it). When n is 0 the array is not touched
 * and may be NULL; when events is NULL or the capacity is below n the array is not written,
 * the events are lost and the status is 5. Each call produces at most 32 events; the
 * simulated venue produces 2 per submit and 1 per amend or cancel.
 *
 * The status is that of the event copy when it is non-zero (1 for a NULL event_count, 5 as
 * above), otherwise the operation's own status.
 */

/*
 * Submits a new order. The simulated venue acknowledges it (event kind 1, venue order id
 * "SIM-<n>") and fills it at its limit price (kind 3, execution id "SIMX-<n>", ts_ns + 1).
 * 0; 1 for a NULL engine, request or event_count, an invalid record (nothing written), a
 * quantity or required price that is not positive; 2 when not started or the route is unknown
 * or disabled (an order on an unknown route produces no event); 7 when refused by the risk
 * checks, with one Rejected event (kind 2, status 9, reject_reason and text set); 5 as above.
 */
QX_API qx_status_t qx_execution_submit_order(qx_execution_engine_t* engine,
                                             const qx_order_request_t* request,
                                             qx_execution_event_t* events,
                                             uint32_t* event_count);

/*
 * Amends an order (cancel/replace). 0; 1 for a NULL engine, request or event_count, an
 * invalid record, a new_quantity below 1, or an order whose state does not allow the venue's
 * Replaced event (the simulated venue sends no PendingReplace first, so an amend of an order
 * that is not already PendingReplace ends with 1); 2 when not started, the order
 * orig_client_order_id is unknown or the route is unknown or disabled; 7 when refused by the
 * risk checks (no event; a client_order_id already in use is refused as a duplicate); 5 as
 * above.
 */
QX_API qx_status_t qx_execution_amend_order(qx_execution_engine_t* engine,
                                            const qx_amend_request_t* request,
                                            qx_execution_event_t* events,
                                            uint32_t* event_count);

/*
 * Cancels an order; never risk-checked. 0 (the order becomes Canceled with filled, leaves and
 * average price 0 as the simulated venue reports them); 1 for a NULL engine, request or
 * event_count, an invalid record, or an order already terminal (a filled order cannot be
 * canceled); 2 when not started, the order is unknown or the route is unknown or disabled;
 * 5 as above.
 */
QX_API qx_status_t qx_execution_cancel_order(qx_execution_engine_t* engine,
                                             const qx_cancel_request_t* request,
                                             qx_execution_event_t* events,
                                             uint32_t* event_count);

/*
 * Applies and delivers the events the venue produced on its own (the simulated venue produces
 * none). 0; 1 for a NULL engine or event_count; 2 when not started (no events); otherwise as
 * above.
 */
QX_API qx_status_t qx_execution_poll(qx_execution_engine_t* engine,
                                     qx_execution_event_t* events, uint32_t* event_count);

/*
 * Copies the state of the order held under client_order_id (a required identifier, <= 40).
 * After a replace the order is found under its new identifier only. 0; 1 for a NULL argument
 * or an invalid identifier; 2 when no order is held under it (*out untouched).
 */
QX_API qx_status_t qx_execution_get_order_state(const qx_execution_engine_t* engine,
                                                const char* client_order_id,
                                                qx_order_state_t* out);

/* Copies the venue adapter's health. 0; 1 for a NULL argument. */
QX_API qx_status_t qx_execution_health(const qx_execution_engine_t* engine,
                                       qx_execution_health_t* out);

/* Copies the engine's five counters. 0; 1 for a NULL argument. */
QX_API qx_status_t qx_execution_metrics(const qx_execution_engine_t* engine,
                                        qx_execution_metrics_t* out);

/*
 * Worker-thread execution engine: the same engine with the simulated venue, run by a worker
 * thread of its own (named "quorix-execution-worker"; the system shows "quorix-exec-wkr").
 * Commands (submit, amend, cancel, poll, stop) are queued without blocking and executed by
 * the worker in queue order; each executed command yields one report, received in the same
 * order with qx_execution_concurrent_try_recv_report. The engine is started on creation.
 *
 * Command ids: every queuing attempt of a convertible command takes the next id from a
 * counter that starts at 1, also when queuing then fails (so ids of queued commands increase
 * but may skip values). The id is stored in *command_id on success when command_id is not
 * NULL. Several threads may queue at once and get distinct ids.
 *
 * Queuing statuses: 0; 1 for a NULL handle or request or a record that cannot be converted
 * (no id taken); 5 when the command queue is full (nothing queued); 2 when the worker is
 * gone (after a stop has been executed, or the worker ended).
 *
 * Once a stop has been executed, commands queued behind it are dropped without a report, and
 * after its report has been taken try_recv_report returns 2.
 */

/* One worker-thread execution engine. */
typedef struct qx_concurrent_execution_engine qx_concurrent_execution_engine_t;

/*
 * Queue capacities (12 bytes). A zero field means 1024 for command_capacity and
 * report_capacity and 32 for event_capacity; without a record the capacities are 1024, 1024
 * and 64. event_capacity is the most events one command may produce before it fails with
 * status 5. The storage of both queues is reserved at creation; a queue of more than 1 GiB
 * of storage (about 3.6 million commands or 9.5 million reports), or one the system cannot
 * give, makes creation fail with 1.
 */
typedef struct qx_concurrent_engine_config_t {
    uint32_t command_capacity;
    uint32_t report_capacity;
    uint32_t event_capacity;
} qx_concurrent_engine_config_t;

/*
 * One executed command's report (24 bytes). kind: 1 Submit, 2 Cancel, 3 Amend, 4 Poll, 6 Stop.
 * status: 0 when the command succeeded, else its status as for the execution engine's
 * functions (2 route or order not found, 7 risk rejection with its Rejected event, ...).
 * event_count: the number of events the command produced.
 */
typedef struct qx_execution_command_report_t {
    uint64_t command_id;
    uint32_t kind;
    uint32_t status;
    uint32_t event_count;
} qx_execution_command_report_t;

/*
 * Creates the engine over count routes (as qx_execution_engine_create_multi), starts the
 * worker and waits until it has started the engine. config may be NULL. 0 with *out set; 1
 * when routes or out is NULL, count is 0, a route record is invalid or a queue cannot be
 * reserved; 2 when the worker thread cannot be started or ends before it is ready. *out is
 * written only on success.
 */
QX_API qx_status_t qx_execution_concurrent_engine_create_multi(
    const qx_route_config_t* routes, uint32_t count, const qx_concurrent_engine_config_t* config,
    qx_concurrent_execution_engine_t** out);

/*
 * Stops the worker and releases the engine; reports not taken are dropped. Always completes,
 * also when the report queue is full. NULL is ignored.
 */
QX_API void qx_execution_concurrent_engine_destroy(qx_concurrent_execution_engine_t* engine);

/* Queues a new order (record rules as qx_execution_submit_order). Statuses above. */
QX_API qx_status_t qx_execution_concurrent_submit_order(qx_concurrent_execution_engine_t* engine,
                                                        const qx_order_request_t* request,
                                                        uint64_t* command_id);

/* Queues an amend (record rules as qx_execution_amend_order). Statuses above. */
QX_API qx_status_t qx_execution_concurrent_amend_order(qx_concurrent_execution_engine_t* engine,
                                                       const qx_amend_request_t* request,
                                                       uint64_t* command_id);

/* Queues a cancel (record rules as qx_execution_cancel_order). Statuses above. */
QX_API qx_status_t qx_execution_concurrent_cancel_order(qx_concurrent_execution_engine_t* engine,
                                                        const qx_cancel_request_t* request,
                                                        uint64_t* command_id);

/* Queues a poll of the venue (the simulated venue reports no events). Statuses above. */
QX_API qx_status_t qx_execution_concurrent_poll(qx_concurrent_execution_engine_t* engine,
                                                uint64_t* command_id);

/*
 * Queues a stop, waiting while the command queue is full: commands queued before it are still
 * executed and reported, its own report has kind 6 and status 0. 0; 1 for NULL; 2 when the
 * worker is gone. The wait ends only as the worker frees room; if the report queue is full as
 * well, reports must be taken meanwhile (from another thread) or the wait does not end.
 */
QX_API qx_status_t qx_execution_concurrent_stop(qx_concurrent_execution_engine_t* engine,
                                                uint64_t* command_id);

/*
 * Takes the oldest report without waiting and copies its events: on entry *event_count is the
 * capacity of events, on return the number of events of the report. 1 for a NULL engine, out
 * or event_count; 5 when no report is waiting; 2 when the worker is gone and every report has
 * been taken (*out and events untouched in these cases). Otherwise *out is filled and the
 * result is that of the copy: 0, or 5 when the report has events and events is NULL or too
 * small (the events are lost; the report is consumed either way).
 */
QX_API qx_status_t qx_execution_concurrent_try_recv_report(qx_concurrent_execution_engine_t* engine,
                                                           qx_execution_command_report_t* out,
                                                           qx_execution_event_t* events,
                                                           uint32_t* event_count);

/* @@QX_SECTION execution algorithms @@ */

/*
 * TWAP algorithm: slices one parent order into child orders released evenly over a time
 * window. The algorithm sends nothing itself. Per slice the host calls plan, submits the
 * proposed child (for instance with qx_execution_submit_order), then commits the plan (or
 * discards it if the child was not sent), and reports each execution of the child with
 * qx_execution_twap_algo_record_execution.
 *
 * The window [start_ns, end_ns) is cut into ceil((end_ns - start_ns) / slice_interval_ns)
 * slices; the first is due at start_ns, the next at start_ns + slice_interval_ns, and all are
 * due at or after end_ns. By a moment with D of T slices due the released quantity may reach
 * ceil(quantity x D / T). One child carries at most max_child_qty; a child below
 * min_child_qty waits unless it completes the parent or the window has ended. Missed slices
 * are caught up by the next plans. Quantity of a rejected or canceled child stays released and
 * is not planned again.
 *
 * Text rules are those of the execution records above.
 */

/* One TWAP algorithm over one parent order. */
typedef struct qx_twap_algo qx_twap_algo_t;

/*
 * The parent order (128 bytes). parent_order_id (<= 40), account, route (<= 32 each), venue
 * (<= 16) and symbol (<= 32) are required; tag (<= 32) is optional. side 1..2, order_type
 * 1..4, time_in_force 1..5. Needs start_ns < end_ns, 0 < min_child_qty <= max_child_qty,
 * quantity > 0, the prices the order type needs positive (Limit: limit_price, Stop:
 * stop_price, StopLimit: both) and slice_interval_ns > 0. Children copy account, route, tag,
 * venue, symbol, side, order_type, time_in_force and both prices.
 */
typedef struct qx_twap_parent_order_t {
    const char* parent_order_id;
    const char* account;
    const char* route;
    const char* tag;
    const char* venue;
    const char* symbol;
    uint32_t side;
    uint32_t order_type;
    uint32_t time_in_force;
    int64_t quantity;
    int64_t limit_price;
    int64_t stop_price;
    uint64_t start_ns;
    uint64_t end_ns;
    int64_t min_child_qty;
    int64_t max_child_qty;
    uint64_t slice_interval_ns;
} qx_twap_parent_order_t;

/*
 * A proposed child order (336 bytes). With has_plan 1 the fields form the child's order
 * request (client_order_id and ts_ns as given to the plan call, origin_ts_ns 0 when
 * submitted); planned_at_ns is the now_ns the plan was made for. With has_plan 0 every byte
 * of the record is 0.
 */
typedef struct qx_twap_child_plan_t {
    char slice_id[41];
    char parent_order_id[41];
    char client_order_id[41];
    char account[33];
    char route[33];
    char tag[33];
    char venue[17];
    char symbol[33];
    uint32_t side;
    uint32_t order_type;
    uint32_t time_in_force;
    int64_t quantity;
    int64_t limit_price;
    int64_t stop_price;
    uint64_t planned_at_ns;
    uint64_t ts_ns;
    uint8_t has_plan;
} qx_twap_child_plan_t;

/*
 * The algorithm's account (56 bytes): total_qty is the parent's quantity; released_qty the sum
 * of committed children; filled_qty the reported fills, capped at total_qty; outstanding_qty
 * released quantity not yet filled or ended; rejected_children and terminal_children count
 * reported executions with status Rejected and with any terminal status (Filled, Canceled,
 * Rejected, Expired); has_pending is 1 while a plan awaits commit or discard.
 */
typedef struct qx_twap_progress_t {
    int64_t total_qty;
    int64_t released_qty;
    int64_t filled_qty;
    int64_t outstanding_qty;
    uint64_t rejected_children;
    uint64_t terminal_children;
    uint8_t has_pending;
} qx_twap_progress_t;

/*
 * Creates an algorithm over the parent order. 0 with *out set; 1 when request or out is NULL,
 * a field is invalid or the parent breaks a rule above (*out is then NULL when out is not).
 */
QX_API qx_status_t qx_execution_twap_algo_create(const qx_twap_parent_order_t* request,
                                                 qx_twap_algo_t** out);

/* Releases the algorithm. NULL is ignored. */
QX_API void qx_execution_twap_algo_destroy(qx_twap_algo_t* algo);

/*
 * Plans the child due at now_ns. slice_id and client_order_id are required identifiers
 * (<= 40 each). When a plan is pending: with the same two identifiers it is written again
 * unchanged (now_ns and ts_ns are ignored), with others the call returns 2 and out is
 * untouched. Otherwise the due child becomes the pending plan and is written to out; when
 * nothing is due (before start_ns, parent filled, target already released, child held back
 * below min_child_qty) out is all zeros. 0; 1 for a NULL algo or out, an invalid identifier
 * or a parent or progress the planner refuses (out untouched); 2 as above.
 */
QX_API qx_status_t qx_execution_twap_algo_plan(qx_twap_algo_t* algo, uint64_t now_ns,
                                               const char* slice_id, const char* client_order_id,
                                               uint64_t ts_ns, qx_twap_child_plan_t* out);

/*
 * Counts the pending plan's quantity as released and outstanding and drops the plan. 0; 1 for
 * NULL; 2 when no plan is pending or releasing it would exceed the total (the plan stays
 * pending).
 */
QX_API qx_status_t qx_execution_twap_algo_commit_pending(qx_twap_algo_t* algo);

/* Drops the pending plan; the progress is unchanged. 0; 1 for NULL; 2 when none is pending. */
QX_API qx_status_t qx_execution_twap_algo_discard_pending(qx_twap_algo_t* algo);

/* Copies the progress. 0; 1 for a NULL argument. */
QX_API qx_status_t qx_execution_twap_algo_progress(const qx_twap_algo_t* algo,
                                                   qx_twap_progress_t* out);

/*
 * Reports one execution of a child: a positive last_qty is added to filled_qty (capped at the
 * total) and taken from outstanding_qty; a terminal status (4 Filled, 6 Canceled, 9 Rejected,
 * 10 Expired) counts the child as ended and lowers outstanding_qty to at most leaves_qty
 * (negative leaves counting as 0). Executions are not matched to a particular child. 0; 1 for
 * NULL, a negative last_qty or a status outside 1..12 (nothing changes).
 */
QX_API qx_status_t qx_execution_twap_algo_record_execution(qx_twap_algo_t* algo, int64_t last_qty,
                                                           int64_t leaves_qty, uint32_t status);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QX_QX_H */
