// Mapping a read configuration file onto EngineConfig, starting from the defaults.
#pragma once

#include <string>
#include <unordered_map>

#include "runtime/config/config_file.h"
#include "runtime/config/engine_config.h"
#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

// Key text to value text, as the legacy line readers produce it.
using ConfigKeyValues = std::unordered_map<std::string, std::string>;

// Fields present in the typed file replace the defaults. Adapter values in the `adapter`
// section win over the top-level keys of the same name; credential names fall back one by one
// to the top-level `credentials_key_id_env` / `credentials_secret_env`.
Expected<EngineConfig, RuntimeError> config_from_typed(const RuntimeConfigFile& file);

// Reads the known keys of a legacy key/value map in a fixed order and stops at the first value
// that does not convert.
Expected<EngineConfig, RuntimeError> config_from_map(const ConfigKeyValues& values);

}  // namespace qx
