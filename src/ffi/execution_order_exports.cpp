// Execution engine commands: submit, amend, cancel and poll, each delivering the events it
// produced into the host's array.
#include <cstdint>

#include "execution/execution_engine.h"
#include "execution/execution_event_buffer.h"
#include "ffi/support/execution_engine_handle.h"
#include "ffi/support/execution_records.h"
#include "ffi/support/guard.h"
#include "qx/qx.h"

namespace qx::ffi {
namespace {

// The most events one call hands back.
constexpr std::size_t kEventsPerCall = 32;

// Maps the operation's result, then copies the events it produced; a failing copy decides the
// status, otherwise the operation's result does.
template <typename Result>
qx_status_t deliver(const Result& result, const exec::ExecutionEventBuffer& buffer,
                    qx_execution_event_t* events, std::uint32_t* event_count) noexcept {
    const qx_status_t operation = result ? QX_STATUS_OK : execution_error_status(result.error());
    const qx_status_t copy = copy_execution_events(buffer.events(), events, event_count);
    return copy != QX_STATUS_OK ? copy : operation;
}

// The frame shared by submit, amend and cancel: check pointers, convert the record, run the
// engine operation into a fresh buffer, deliver.
template <typename Record, typename Convert, typename Run>
qx_status_t run_command(qx_execution_engine_t* engine, const Record* request,
                        qx_execution_event_t* events, std::uint32_t* event_count, Convert convert,
                        Run run) {
    if (engine == nullptr || request == nullptr || event_count == nullptr) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    const auto converted = convert(*request);
    if (!converted) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    exec::ExecutionEventBuffer buffer(kEventsPerCall);
    const auto result = run(engine->engine, *converted, buffer);
    return deliver(result, buffer, events, event_count);
}

}  // namespace
}  // namespace qx::ffi

extern "C" {

QX_API qx_status_t qx_execution_submit_order(qx_execution_engine_t* engine,
                                             const qx_order_request_t* request,
                                             qx_execution_event_t* events, uint32_t* event_count) {
    return qx::ffi::guarded([&] {
        return qx::ffi::run_command(
            engine, request, events, event_count, qx::ffi::order_request_from_ffi,
            [](auto& e, const auto& order, auto& out) { return e.submit(order, out); });
    });
}

QX_API qx_status_t qx_execution_amend_order(qx_execution_engine_t* engine,
                                            const qx_amend_request_t* request,
                                            qx_execution_event_t* events, uint32_t* event_count) {
    return qx::ffi::guarded([&] {
        return qx::ffi::run_command(
            engine, request, events, event_count, qx::ffi::amend_request_from_ffi,
            [](auto& e, const auto& amend, auto& out) { return e.amend(amend, out); });
    });
}

QX_API qx_status_t qx_execution_cancel_order(qx_execution_engine_t* engine,
                                             const qx_cancel_request_t* request,
                                             qx_execution_event_t* events, uint32_t* event_count) {
    return qx::ffi::guarded([&] {
        return qx::ffi::run_command(
            engine, request, events, event_count, qx::ffi::cancel_request_from_ffi,
            [](auto& e, const auto& cancel, auto& out) { return e.cancel(cancel, out); });
    });
}

QX_API qx_status_t qx_execution_poll(qx_execution_engine_t* engine, qx_execution_event_t* events,
                                     uint32_t* event_count) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || event_count == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        qx::exec::ExecutionEventBuffer buffer(qx::ffi::kEventsPerCall);
        // Before start the engine refuses the poll (status 2) and the buffer stays empty.
        const auto result = engine->engine.poll(buffer);
        return qx::ffi::deliver(result, buffer, events, event_count);
    });
}

}  // extern "C"
