// Checks an engine configuration must pass before an engine is built from it.
#pragma once

#include <string_view>

#include "runtime/config/engine_config.h"
#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

// Returns the first failing check as a configuration error, in a fixed order: instance id,
// signal threshold, audit path, size and file count, persistence settings, then the adapter
// (non-mock providers need an endpoint; rithmic and cqg also need credential variables that are
// set in the environment).
Expected<void, RuntimeError> validate_startup_config(const EngineConfig& config);

// The variable must be set to valid Unicode ("missing required env var: {name}") and not be
// blank ("required env var is empty: {name}"). Its value is never reported or kept.
Expected<void, RuntimeError> validate_env_var(std::string_view name);

}  // namespace qx
