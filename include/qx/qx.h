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

/* @@QX_SECTION persistence @@ */

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
