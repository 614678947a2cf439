#include "runtime/config/config_validation.h"

#include <cstdlib>
#include <string>

#include "support/utf8.h"

namespace qx {
namespace {

Expected<void, RuntimeError> fail(std::string message) {
    return Unexpected(RuntimeError::config(std::move(message)));
}

bool blank(std::string_view text) {
    return trim_unicode_whitespace(text).empty();
}

}  // namespace

Expected<void, RuntimeError> validate_env_var(std::string_view name) {
    const std::string key(name);
    // An empty name, or one holding = or a NUL byte, can never be set; getenv would misread it.
    const char* value =
        !key.empty() && key.find_first_of(std::string_view("=\0", 2)) == std::string::npos
            ? std::getenv(key.c_str())
            : nullptr;
    if (value == nullptr || !is_valid_utf8(value)) {
        return fail("missing required env var: " + key);
    }
    if (blank(value)) {
        return fail("required env var is empty: " + key);
    }
    return {};
}

Expected<void, RuntimeError> validate_startup_config(const EngineConfig& c) {
    if (blank(c.instance_id)) {
        return fail("instance_id must not be empty");
    }
    if (c.signal_threshold <= 0) {
        return fail("signal_threshold must be > 0");
    }
    if (blank(c.audit_log_path)) {
        return fail("audit_log_path must not be empty");
    }
    if (c.audit_max_bytes == 0) {
        return fail("audit_max_bytes must be > 0");
    }
    if (c.audit_max_files > 1000) {
        return fail("audit_max_files must be <= 1000");
    }
    if (c.enable_persistence) {
        if (blank(c.data_root)) {
            return fail("data_root must not be empty when persistence is enabled");
        }
        if (c.data_retention_max_bytes == 0 && c.data_retention_max_age_secs == 0) {
            return fail(
                "set at least one of data_retention_max_bytes or data_retention_max_age_secs "
                "when persistence is enabled");
        }
    }
    const AdapterConfig& a = c.adapter;
    if (a.provider == ProviderKind::Mock) {
        return {};
    }
    if (!a.endpoint || blank(*a.endpoint)) {
        return fail("non-mock providers require adapter.endpoint");
    }
    if (a.provider == ProviderKind::Binance) {
        return {};
    }
    if (!a.credentials) {
        return fail("rithmic/cqg providers require adapter.credentials references");
    }
    auto key_id = validate_env_var(a.credentials->key_id_env);
    if (!key_id) {
        return key_id;
    }
    return validate_env_var(a.credentials->secret_env);
}

}  // namespace qx
