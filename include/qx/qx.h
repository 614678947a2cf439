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

/* @@QX_SECTION persistence @@ */

/* @@QX_SECTION execution @@ */

/* @@QX_SECTION execution algorithms @@ */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QX_QX_H */
