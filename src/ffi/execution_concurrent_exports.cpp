// Worker-thread execution engine entry points: create, destroy, the queued commands (submit,
// amend, cancel, poll, stop) and receiving reports.
#include <cstdint>
#include <memory>
#include <utility>

#include "execution/concurrent_execution_engine.h"
#include "ffi/support/execution_records.h"
#include "ffi/support/guard.h"
#include "qx/qx.h"

struct qx_concurrent_execution_engine {
    explicit qx_concurrent_execution_engine(std::unique_ptr<qx::exec::ConcurrentExecutionEngine> e)
        : engine(std::move(e)) {}
    std::unique_ptr<qx::exec::ConcurrentExecutionEngine> engine;
};

namespace qx::ffi {
namespace {

exec::WorkerCapacities capacities_from_ffi(const qx_concurrent_engine_config_t* config) noexcept {
    exec::WorkerCapacities capacities;  // 1024, 1024, 64 without a record
    if (config != nullptr) {
        capacities.command_capacity =
            config->command_capacity != 0 ? config->command_capacity : 1024;
        capacities.report_capacity = config->report_capacity != 0 ? config->report_capacity : 1024;
        capacities.event_capacity = config->event_capacity != 0 ? config->event_capacity : 32;
    }
    return capacities;
}

qx_status_t spawn_error_status(const exec::SpawnError& error) noexcept {
    switch (error.kind) {
        case exec::SpawnError::Kind::QueueStorage:
            return QX_STATUS_INVALID_ARGUMENT;
        case exec::SpawnError::Kind::ThreadStart:
        case exec::SpawnError::Kind::WorkerEnded:
            return QX_STATUS_REFUSED;
        case exec::SpawnError::Kind::Startup:
            break;
    }
    return execution_error_status(error.error);
}

qx_status_t queue_error_status(exec::QueueError error) noexcept {
    return error == exec::QueueError::WorkerGone ? QX_STATUS_REFUSED : QX_STATUS_CAPACITY;
}

// Stores the id of a queued command; maps a queuing failure.
qx_status_t queued(const Expected<std::uint64_t, exec::QueueError>& result,
                   std::uint64_t* command_id) noexcept {
    if (!result) {
        return queue_error_status(result.error());
    }
    if (command_id != nullptr) {
        *command_id = *result;
    }
    return QX_STATUS_OK;
}

// The frame of submit, amend and cancel: check pointers, convert the record (no id is taken
// for a record that cannot be converted), queue.
template <typename Record, typename Convert, typename Make>
qx_status_t queue_request(qx_concurrent_execution_engine_t* engine, const Record* request,
                          std::uint64_t* command_id, Convert convert, Make make) {
    if (engine == nullptr || request == nullptr) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    const auto converted = convert(*request);
    if (!converted) {
        return QX_STATUS_INVALID_ARGUMENT;
    }
    return queued(engine->engine->try_send(make(*converted)), command_id);
}

}  // namespace
}  // namespace qx::ffi

extern "C" {

QX_API qx_status_t qx_execution_concurrent_engine_create_multi(
    const qx_route_config_t* routes, uint32_t count, const qx_concurrent_engine_config_t* config,
    qx_concurrent_execution_engine_t** out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (routes == nullptr || count == 0 || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto configs = qx::ffi::route_configs_from_ffi(routes, count);
        if (!configs) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto spawned = qx::exec::ConcurrentExecutionEngine::spawn(
            std::move(*configs), qx::ffi::capacities_from_ffi(config));
        if (!spawned) {
            return qx::ffi::spawn_error_status(spawned.error());
        }
        *out = new qx_concurrent_execution_engine(std::move(*spawned));
        return QX_STATUS_OK;
    });
}

QX_API void qx_execution_concurrent_engine_destroy(qx_concurrent_execution_engine_t* engine) {
    qx::ffi::guarded_void([&] { delete engine; });
}

QX_API qx_status_t qx_execution_concurrent_submit_order(qx_concurrent_execution_engine_t* engine,
                                                        const qx_order_request_t* request,
                                                        uint64_t* command_id) {
    return qx::ffi::guarded([&] {
        return qx::ffi::queue_request(engine, request, command_id, qx::ffi::order_request_from_ffi,
                                      qx::exec::WorkerCommand::submit);
    });
}

QX_API qx_status_t qx_execution_concurrent_amend_order(qx_concurrent_execution_engine_t* engine,
                                                       const qx_amend_request_t* request,
                                                       uint64_t* command_id) {
    return qx::ffi::guarded([&] {
        return qx::ffi::queue_request(engine, request, command_id, qx::ffi::amend_request_from_ffi,
                                      qx::exec::WorkerCommand::amend);
    });
}

QX_API qx_status_t qx_execution_concurrent_cancel_order(qx_concurrent_execution_engine_t* engine,
                                                        const qx_cancel_request_t* request,
                                                        uint64_t* command_id) {
    return qx::ffi::guarded([&] {
        return qx::ffi::queue_request(engine, request, command_id, qx::ffi::cancel_request_from_ffi,
                                      qx::exec::WorkerCommand::cancel);
    });
}

QX_API qx_status_t qx_execution_concurrent_poll(qx_concurrent_execution_engine_t* engine,
                                                uint64_t* command_id) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::queued(engine->engine->try_send(qx::exec::WorkerCommand::poll()),
                               command_id);
    });
}

QX_API qx_status_t qx_execution_concurrent_stop(qx_concurrent_execution_engine_t* engine,
                                                uint64_t* command_id) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::queued(engine->engine->request_stop(), command_id);
    });
}

QX_API qx_status_t qx_execution_concurrent_try_recv_report(qx_concurrent_execution_engine_t* engine,
                                                           qx_execution_command_report_t* out,
                                                           qx_execution_event_t* events,
                                                           uint32_t* event_count) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || out == nullptr || event_count == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto report = engine->engine->try_recv_report();
        if (!report) {
            return qx::ffi::queue_error_status(report.error());
        }
        // The report is consumed whatever the copy's outcome.
        const qx_status_t copied =
            qx::ffi::copy_execution_events(report->events, events, event_count);
        out->command_id = report->command_id;
        out->kind = static_cast<uint32_t>(report->kind) + 1;
        out->status =
            report->result ? QX_STATUS_OK : qx::ffi::execution_error_status(report->result.error());
        out->event_count = *event_count;
        return copied;
    });
}

}  // extern "C"
