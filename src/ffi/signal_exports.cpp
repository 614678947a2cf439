// Signal catalogue, configuration validation and replay validation at the C boundary.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "ffi/support/delivery.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "qx/qx.h"
#include "signals/replay_validation.h"
#include "signals/signal_registry.h"

namespace {

using qx::SignalConfig;
using qx::SignalParameterValue;

std::optional<SignalParameterValue> convert_value(const qx_signal_config_parameter_t& p) {
    switch (p.kind) {
        case QX_SIGNAL_PARAMETER_INTEGER:
            return SignalParameterValue::integer(p.integer_value);
        case QX_SIGNAL_PARAMETER_FLOAT:
            if (!std::isfinite(p.float_value)) {
                return std::nullopt;
            }
            return SignalParameterValue::floating(p.float_value);
        case QX_SIGNAL_PARAMETER_BOOLEAN:
            if (p.boolean_value > 1) {
                return std::nullopt;
            }
            return SignalParameterValue::boolean(p.boolean_value == 1);
        case QX_SIGNAL_PARAMETER_TEXT: {
            const std::optional<std::string_view> text = qx::ffi::required_text(p.text_value);
            if (!text) {
                return std::nullopt;
            }
            return SignalParameterValue::text(std::string(*text));
        }
        default:
            return std::nullopt;
    }
}

// The signal id and the parameter records as a configuration, or nullopt when any of them
// cannot be converted (nothing is validated then).
std::optional<SignalConfig> convert_config(const char* signal_id,
                                           const qx_signal_config_parameter_t* parameters,
                                           uint32_t parameter_count) {
    const std::optional<std::string_view> id = qx::ffi::required_text(signal_id);
    if (!id || (parameters == nullptr && parameter_count > 0)) {
        return std::nullopt;
    }
    SignalConfig config;
    config.signal_id = std::string(*id);
    config.parameters.reserve(parameter_count);
    for (uint32_t i = 0; i < parameter_count; ++i) {
        const std::optional<std::string_view> name = qx::ffi::required_text(parameters[i].name);
        if (!name) {
            return std::nullopt;
        }
        std::optional<SignalParameterValue> value = convert_value(parameters[i]);
        if (!value) {
            return std::nullopt;
        }
        config.parameters.push_back({std::string(*name), std::move(*value)});
    }
    return config;
}

}  // namespace

extern "C" {

QX_API qx_status_t qx_get_signal_descriptors_json(char** out_json, uint32_t* out_len) {
    return qx::ffi::guarded([&] {
        if (out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const std::string text =
            "{\"schema_version\":1,\"signals\":" + qx::built_in_signal_descriptors_json() + "}";
        return qx::ffi::deliver_string(text, out_json, out_len);
    });
}

QX_API qx_status_t qx_validate_signal_config_json(const char* signal_id,
                                                  const qx_signal_config_parameter_t* parameters,
                                                  uint32_t parameter_count, char** out_json,
                                                  uint32_t* out_len) {
    return qx::ffi::guarded([&] {
        if (signal_id == nullptr || out_json == nullptr || out_len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const std::optional<SignalConfig> config =
            convert_config(signal_id, parameters, parameter_count);
        if (!config) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const std::string text = qx::SignalRegistry::with_built_ins().validate_config_json(*config);
        return qx::ffi::deliver_string(text, out_json, out_len);
    });
}

QX_API qx_status_t qx_validate_signal_replay_json(
    const char* signal_id, const qx_signal_config_parameter_t* parameters, uint32_t parameter_count,
    const qx_signal_replay_event_t* events, uint32_t event_count,
    const qx_signal_replay_config_t* config, char** out_json, uint32_t* out_len) {
    return qx::ffi::guarded([&] {
        if (config == nullptr || out_json == nullptr || out_len == nullptr ||
            signal_id == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const std::optional<SignalConfig> signal =
            convert_config(signal_id, parameters, parameter_count);
        if (!signal || (event_count > 0 && events == nullptr)) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        std::vector<qx::SignalReplayEvent> replay(event_count);
        for (uint32_t i = 0; i < event_count; ++i) {
            const qx_signal_replay_event_t& e = events[i];
            replay[i].analytics = {e.delta,          e.cumulative_delta, e.buy_volume,
                                   e.sell_volume,    e.last_price,       e.point_of_control,
                                   e.value_area_low, e.value_area_high};
            if (e.has_ts_exchange_ns != 0) {
                replay[i].ts_exchange_ns = e.ts_exchange_ns;
            }
        }
        qx::SignalValidationConfig validation;
        validation.markout_horizon_events = config->markout_horizon_events;
        validation.flat_price_threshold = config->flat_price_threshold;
        validation.min_confidence_bps = config->min_confidence_bps;
        validation.store_samples = config->store_samples != 0;
        validation.check_monotonic_timestamps = config->check_monotonic_timestamps != 0;
        const std::string text = qx::validate_signal_replay_json(*signal, replay, validation);
        return qx::ffi::deliver_string(text, out_json, out_len);
    });
}

}  // extern "C"
