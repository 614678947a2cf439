// Turning the host's engine creation record into an EngineConfig.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qx/qx.h"
#include "runtime/config/engine_config.h"

namespace qx::ffi {

// The settings used when no configuration file is given: the configuration defaults with
// retention limits of 10485760 bytes and 604800 seconds.
EngineConfig builtin_engine_config();

// Cuts at every comma, trims Unicode white space from each piece and drops empty pieces.
std::vector<std::string> split_redact_tokens(std::string_view text);

// Loads the configuration file named by the record (or starts from the built-in settings) and
// applies the record's overrides. nullopt when a named file cannot be loaded.
std::optional<EngineConfig> engine_config_from_record(const qx_engine_config_t& record);

}  // namespace qx::ffi
