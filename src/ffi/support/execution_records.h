// Conversion between the C records of the execution interface and the engine's records, the
// event copy into the host's array, and the status of an execution error. Shared by every
// execution export (engine, worker-thread engine, TWAP).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "execution/execution_error.h"
#include "execution/route_config.h"
#include "execution_core/order_records.h"
#include "qx/qx.h"

namespace qx::ffi {

// Each returns nullopt when the record is invalid: a required identifier absent, too long or
// not ASCII (checked in record order), or, for orders, side, order type or time in force out
// of range (checked after the texts). Numbers are taken as given.
std::optional<exec::RouteConfig> route_config_from_ffi(const qx_route_config_t& record);
std::optional<exec::OrderRequest> order_request_from_ffi(const qx_order_request_t& record);
std::optional<exec::AmendRequest> amend_request_from_ffi(const qx_amend_request_t& record);
std::optional<exec::CancelRequest> cancel_request_from_ffi(const qx_cancel_request_t& record);

// The `count` route records in array order; nullopt when any is invalid. The caller has
// checked `records` for NULL and `count` for 0.
std::optional<std::vector<exec::RouteConfig>> route_configs_from_ffi(
    const qx_route_config_t* records, std::uint32_t count);

void execution_event_to_ffi(const exec::ExecutionEvent& event, qx_execution_event_t& out) noexcept;
void order_state_to_ffi(const exec::OrderState& state, qx_order_state_t& out) noexcept;

// Hands events to the host: 1 when event_count is NULL; otherwise the capacity is read from
// *event_count and the number of events (truncated to 32 bits) stored there; no events gives 0
// without touching the array; a NULL array or one below that number gives 5 and writes
// nothing; otherwise every event is written and the result is 0.
qx_status_t copy_execution_events(std::span<const exec::ExecutionEvent> events,
                                  qx_execution_event_t* out, std::uint32_t* event_count) noexcept;

// AdapterDisconnected 2, EventBufferFull 5, RouteNotFound 2, RiskRejected 7, Core 1,
// AdapterError 255, JournalError 255.
qx_status_t execution_error_status(const exec::ExecutionError& error) noexcept;

}  // namespace qx::ffi
