#include "signals/replay_validation.h"

#include "support/json_escape.h"

namespace qx {
namespace {

std::string rejected(const SignalConfig& config, const SignalRegistryError& error) {
    std::string out = "{\"schema_version\":1,\"signal_id\":\"";
    append_escaped_json(out, config.signal_id);
    out += "\",\"valid\":false,\"error\":\"";
    append_escaped_json(out, error.message());
    out += "\"}";
    return out;
}

}  // namespace

std::string validate_signal_replay_json(const SignalConfig& config,
                                        std::span<const SignalReplayEvent> events,
                                        const SignalValidationConfig& validation) {
    const SignalRegistry registry = SignalRegistry::with_built_ins();
    if (auto valid = registry.validate_config(config); !valid) {
        return rejected(config, valid.error());
    }
    auto module = registry.create_signal(config);
    if (!module) {
        return rejected(config, module.error());
    }
    return replay_signal(**module, events, validation).json_report();
}

}  // namespace qx
