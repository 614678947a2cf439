#include "runtime/config/config_mapping.h"

#include <initializer_list>
#include <optional>
#include <string_view>

#include "runtime/config/config_values.h"
#include "support/utf8.h"

namespace qx {
namespace {

constexpr std::string_view kHalfCredentials = "credentials require both key_id_env and secret_env";

// Both names give credentials, neither leaves them absent, exactly one is an error.
Expected<std::optional<CredentialsRef>, RuntimeError> credentials_from(
    std::optional<std::string> key_id, std::optional<std::string> secret) {
    if (key_id && secret) {
        return std::optional<CredentialsRef>(
            CredentialsRef{std::move(*key_id), std::move(*secret)});
    }
    if (key_id || secret) {
        return Unexpected(RuntimeError::config(std::string(kHalfCredentials)));
    }
    return std::optional<CredentialsRef>();
}

template <typename T>
std::optional<T> first_of(const std::optional<T>& a, const std::optional<T>& b) {
    return a ? a : b;
}

const std::string* find_first(const ConfigKeyValues& values,
                              std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys) {
        const auto it = values.find(std::string(key));
        if (it != values.end()) {
            return &it->second;
        }
    }
    return nullptr;
}

std::optional<std::string> text_of(const ConfigKeyValues& values,
                                   std::initializer_list<std::string_view> keys) {
    const std::string* v = find_first(values, keys);
    return v ? std::optional<std::string>(*v) : std::nullopt;
}

}  // namespace

Expected<EngineConfig, RuntimeError> config_from_typed(const RuntimeConfigFile& file) {
    EngineConfig c;
    if (file.instance_id) {
        c.instance_id = *file.instance_id;
    }
    if (file.enable_persistence) {
        c.enable_persistence = *file.enable_persistence;
    }
    if (file.signal_threshold) {
        c.signal_threshold = *file.signal_threshold;
    }
    if (file.data_root) {
        c.data_root = *file.data_root;
    }
    if (file.audit_log_path) {
        c.audit_log_path = *file.audit_log_path;
    }
    if (file.audit_max_bytes) {
        c.audit_max_bytes = *file.audit_max_bytes;
    }
    if (file.audit_max_files) {
        c.audit_max_files = *file.audit_max_files;
    }
    if (file.audit_redact_tokens) {
        if (const auto* list = std::get_if<std::vector<std::string>>(&*file.audit_redact_tokens)) {
            c.audit_redact_tokens.clear();
            for (const std::string& item : *list) {
                const std::string_view t = trim_unicode_whitespace(item);
                if (!t.empty()) {
                    c.audit_redact_tokens.emplace_back(t);
                }
            }
        } else {
            c.audit_redact_tokens = parse_csv(std::get<std::string>(*file.audit_redact_tokens));
        }
    }
    if (file.data_retention_max_bytes) {
        c.data_retention_max_bytes = *file.data_retention_max_bytes;
    }
    if (file.data_retention_max_age_secs) {
        c.data_retention_max_age_secs = *file.data_retention_max_age_secs;
    }

    const AdapterConfigFile section = file.adapter.value_or(AdapterConfigFile{});
    const std::optional<std::string> provider = first_of(section.provider, file.provider);
    const CredentialsRefFile creds = section.credentials
                                         ? *section.credentials
                                         : file.credentials.value_or(CredentialsRefFile{});

    if (provider) {
        auto kind = parse_provider(*provider);
        if (!kind) {
            return Unexpected(std::move(kind.error()));
        }
        c.adapter.provider = *kind;
    }
    c.adapter.endpoint = first_of(section.endpoint, file.endpoint);
    c.adapter.app_name = first_of(section.app_name, file.app_name);
    auto credentials = credentials_from(first_of(creds.key_id_env, file.credentials_key_id_env),
                                        first_of(creds.secret_env, file.credentials_secret_env));
    if (!credentials) {
        return Unexpected(std::move(credentials.error()));
    }
    c.adapter.credentials = std::move(*credentials);
    return c;
}

Expected<EngineConfig, RuntimeError> config_from_map(const ConfigKeyValues& values) {
    EngineConfig c;
    if (const std::string* v = find_first(values, {"instance_id"})) {
        c.instance_id = *v;
    }
    if (const std::string* v = find_first(values, {"enable_persistence"})) {
        auto b = parse_bool_value(*v, "enable_persistence");
        if (!b) {
            return Unexpected(std::move(b.error()));
        }
        c.enable_persistence = *b;
    }
    if (const std::string* v = find_first(values, {"signal_threshold"})) {
        auto n = parse_i64_value(*v, "signal_threshold");
        if (!n) {
            return Unexpected(std::move(n.error()));
        }
        c.signal_threshold = *n;
    }
    if (const std::string* v = find_first(values, {"data_root"})) {
        c.data_root = *v;
    }
    if (const std::string* v = find_first(values, {"audit_log_path"})) {
        c.audit_log_path = *v;
    }
    if (const std::string* v = find_first(values, {"audit_max_bytes"})) {
        auto n = parse_u64(*v, "audit_max_bytes");
        if (!n) {
            return Unexpected(std::move(n.error()));
        }
        c.audit_max_bytes = *n;
    }
    if (const std::string* v = find_first(values, {"audit_max_files"})) {
        auto n = parse_u32_value(*v, "audit_max_files");
        if (!n) {
            return Unexpected(std::move(n.error()));
        }
        c.audit_max_files = *n;
    }
    if (const std::string* v = find_first(values, {"audit_redact_tokens"})) {
        c.audit_redact_tokens = parse_csv(*v);
    }
    if (const std::string* v = find_first(values, {"data_retention_max_bytes"})) {
        auto n = parse_u64(*v, "data_retention_max_bytes");
        if (!n) {
            return Unexpected(std::move(n.error()));
        }
        c.data_retention_max_bytes = *n;
    }
    if (const std::string* v = find_first(values, {"data_retention_max_age_secs"})) {
        auto n = parse_u64(*v, "data_retention_max_age_secs");
        if (!n) {
            return Unexpected(std::move(n.error()));
        }
        c.data_retention_max_age_secs = *n;
    }
    if (const std::string* v = find_first(values, {"adapter.provider", "provider"})) {
        auto kind = parse_provider(*v);
        if (!kind) {
            return Unexpected(std::move(kind.error()));
        }
        c.adapter.provider = *kind;
    }
    c.adapter.endpoint = text_of(values, {"adapter.endpoint", "endpoint"});
    c.adapter.app_name = text_of(values, {"adapter.app_name", "app_name"});
    auto credentials =
        credentials_from(text_of(values, {"adapter.credentials.key_id_env",
                                          "credentials.key_id_env", "credentials_key_id_env"}),
                         text_of(values, {"adapter.credentials.secret_env",
                                          "credentials.secret_env", "credentials_secret_env"}));
    if (!credentials) {
        return Unexpected(std::move(credentials.error()));
    }
    c.adapter.credentials = std::move(*credentials);
    return c;
}

}  // namespace qx
