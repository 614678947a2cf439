// The typed form of a configuration file as the strict TOML and JSON readers produce it. Every
// field is optional; unknown keys are not represented.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qx {

// An array of strings, or one string holding a comma-separated list.
using StringListOrCsv = std::variant<std::vector<std::string>, std::string>;

struct CredentialsRefFile {
    std::optional<std::string> key_id_env;
    std::optional<std::string> secret_env;
};

struct AdapterConfigFile {
    std::optional<std::string> provider;
    std::optional<std::string> endpoint;
    std::optional<std::string> app_name;
    std::optional<CredentialsRefFile> credentials;
};

struct RuntimeConfigFile {
    std::optional<std::string> instance_id;
    std::optional<bool> enable_persistence;
    std::optional<std::int64_t> signal_threshold;
    std::optional<std::string> data_root;
    std::optional<std::string> audit_log_path;
    std::optional<std::uint64_t> audit_max_bytes;
    std::optional<std::uint32_t> audit_max_files;
    std::optional<StringListOrCsv> audit_redact_tokens;
    std::optional<std::uint64_t> data_retention_max_bytes;
    std::optional<std::uint64_t> data_retention_max_age_secs;
    std::optional<std::string> provider;
    std::optional<std::string> endpoint;
    std::optional<std::string> app_name;
    std::optional<std::string> credentials_key_id_env;
    std::optional<std::string> credentials_secret_env;
    std::optional<AdapterConfigFile> adapter;
    std::optional<CredentialsRefFile> credentials;
};

}  // namespace qx
