// Engine-wide documents returned as strings: metrics, adapter status, signal explanation and
// signal metrics.
#include <string>

#include "ffi/support/delivery.h"
#include "ffi/support/engine_handle.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "qx/qx.h"

namespace {

template <typename Build>
qx_status_t returned(const qx_engine_t* engine, char** out_json, uint32_t* out_len, Build&& build) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        return qx::ffi::deliver_string(build(*engine->engine), out_json, out_len);
    });
}

}  // namespace

extern "C" {

QX_API qx_status_t qx_get_metrics_json(qx_engine_t* engine, char** out_json, uint32_t* out_len) {
    return returned(engine, out_json, out_len,
                    [](const qx::Engine& e) { return e.metrics_json(); });
}

QX_API qx_status_t qx_get_active_adapter_status_json(qx_engine_t* engine, char** out_json,
                                                     uint32_t* out_len) {
    return returned(engine, out_json, out_len,
                    [](const qx::Engine& e) { return e.adapter_status_json(); });
}

QX_API qx_status_t qx_get_signal_metrics_json(const qx_engine_t* engine, char** out_json,
                                              uint32_t* out_len) {
    return returned(engine, out_json, out_len,
                    [](const qx::Engine& e) { return e.signal_metrics_json(); });
}

QX_API qx_status_t qx_get_signal_explanation_json(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, char** out_json,
                                                  uint32_t* out_len) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || symbol == nullptr || out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto view = qx::ffi::symbol_view_from_ffi_ref(symbol);
        if (!view) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const qx::InstrumentState* state = engine->engine->find(view->id);
        if (state == nullptr || !state->explanation) {
            return qx::ffi::deliver_string("{}", out_json, out_len);
        }
        return qx::ffi::deliver_string(*state->explanation, out_json, out_len);
    });
}

}  // extern "C"
