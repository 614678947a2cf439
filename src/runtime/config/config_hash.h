// A short digest of the settings that change how an engine behaves, written to the audit log
// when an engine starts so that runs can be matched to their configuration.
#pragma once

#include <string>

#include "runtime/config/engine_config.h"

namespace qx {

// SipHash-1-3 under a key of sixteen zero bytes over: instance_id, 0xFF, enable_persistence
// (one byte), data_root, 0xFF, audit_log_path, 0xFF, audit_max_bytes (8 bytes LE),
// audit_max_files (4 bytes LE), data_retention_max_bytes (8 LE), data_retention_max_age_secs
// (8 LE), signal_threshold (8 LE two's complement), provider value (one byte). Redaction tokens,
// endpoint, app name and credential names do not enter it. 16 lowercase hex digits.
std::string config_hash(const EngineConfig& config);

}  // namespace qx
