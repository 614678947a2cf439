// Replay validation as one call: build the configured module through the built-in registry,
// replay the events into it and render the report.
#pragma once

#include <span>
#include <string>

#include "signals/signal_registry.h"
#include "signals/signal_replay.h"

namespace qx {

// The report document, or, when the registry rejects the configuration,
// {"schema_version":1,"signal_id":"ID","valid":false,"error":"MSG"}.
std::string validate_signal_replay_json(const SignalConfig& config,
                                        std::span<const SignalReplayEvent> events,
                                        const SignalValidationConfig& validation);

}  // namespace qx
