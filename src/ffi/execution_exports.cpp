// Execution engine entry points: create, destroy, start, stop, order state, health, metrics.
#include <vector>

#include "execution/execution_engine.h"
#include "ffi/support/execution_engine_handle.h"
#include "ffi/support/execution_identifiers.h"
#include "ffi/support/execution_records.h"
#include "ffi/support/guard.h"
#include "qx/qx.h"

namespace qx::ffi {
namespace {

qx_status_t create_engine(std::vector<exec::RouteConfig> routes, qx_execution_engine_t** out) {
    *out = new qx_execution_engine(
        exec::ExecutionEngine::simulated_engine_with_routes(std::move(routes)));
    return QX_STATUS_OK;
}

}  // namespace
}  // namespace qx::ffi

extern "C" {

QX_API qx_status_t qx_execution_engine_create(const qx_route_config_t* route,
                                              qx_execution_engine_t** out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (route == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto config = qx::ffi::route_config_from_ffi(*route);
        if (!config) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::create_engine({*config}, out);
    });
}

QX_API qx_status_t qx_execution_engine_create_multi(const qx_route_config_t* routes, uint32_t count,
                                                    qx_execution_engine_t** out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (routes == nullptr || out == nullptr || count == 0) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto configs = qx::ffi::route_configs_from_ffi(routes, count);
        if (!configs) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::create_engine(std::move(*configs), out);
    });
}

QX_API void qx_execution_engine_destroy(qx_execution_engine_t* engine) {
    qx::ffi::guarded_void([&] { delete engine; });
}

QX_API qx_status_t qx_execution_engine_start(qx_execution_engine_t* engine) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        auto started = engine->engine.start();
        return started ? QX_STATUS_OK : qx::ffi::execution_error_status(started.error());
    });
}

QX_API qx_status_t qx_execution_engine_stop(qx_execution_engine_t* engine) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        // The engine has no stop: it stays started.
        return engine == nullptr ? QX_STATUS_INVALID_ARGUMENT : QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_execution_get_order_state(const qx_execution_engine_t* engine,
                                                const char* client_order_id,
                                                qx_order_state_t* out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || client_order_id == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto id = qx::ffi::required_identifier<40>(client_order_id);
        if (!id) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const qx::exec::OrderState* state = engine->engine.order_state(*id);
        if (state == nullptr) {
            return QX_STATUS_REFUSED;
        }
        qx::ffi::order_state_to_ffi(*state, *out);
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_execution_health(const qx_execution_engine_t* engine,
                                       qx_execution_health_t* out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const qx::exec::AdapterHealth health = engine->engine.health();
        out->connected = health.connected ? 1 : 0;
        out->degraded = health.degraded ? 1 : 0;
        out->connect_count = health.connect_count;
        return QX_STATUS_OK;
    });
}

QX_API qx_status_t qx_execution_metrics(const qx_execution_engine_t* engine,
                                        qx_execution_metrics_t* out) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || out == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const qx::exec::ExecutionMetrics m = engine->engine.metrics();
        out->orders_submitted = m.orders_submitted;
        out->cancels_sent = m.cancels_sent;
        out->amends_sent = m.amends_sent;
        out->events_applied = m.events_applied;
        out->risk_rejects = m.risk_rejects;
        return QX_STATUS_OK;
    });
}

}  // extern "C"
