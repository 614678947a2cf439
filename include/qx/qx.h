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

/* @@QX_SECTION adapters @@ */

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

/* @@QX_SECTION execution @@ */

/* @@QX_SECTION execution algorithms @@ */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QX_QX_H */
