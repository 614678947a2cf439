// Loading a configuration file: the format is chosen by the file-name extension, the strict
// reader of that format is tried first and the legacy line reader second.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/config/engine_config.h"
#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

struct ConfigLoadReport {
    EngineConfig config;
    std::optional<std::string> warning;  // set only when the legacy reader produced the config
    std::string format;                  // "toml" or "json"
    bool used_legacy_fallback = false;
};

// Reads the file (an I/O error carries the read error's text; invalid UTF-8 is one), then by
// the path's ending: ".json" or ".toml" exactly, case-sensitive; anything else is the
// configuration error "unsupported config format; use .json or .toml". Does not validate.
Expected<ConfigLoadReport, RuntimeError> load_engine_config_report_from_path(
    const std::string& path);

// As above, keeping only the configuration; this is what engine creation calls.
Expected<EngineConfig, RuntimeError> load_engine_config_from_path(const std::string& path);

// The JSON branch of the loader over the file's text.
Expected<ConfigLoadReport, RuntimeError> parse_config_json(std::string_view text);

// The TOML branch of the loader over the file's text.
Expected<ConfigLoadReport, RuntimeError> parse_config_toml(std::string_view text);

}  // namespace qx
