// The engine's configuration record and its adapter part, with their default values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// The market-data provider; the numeric value enters the configuration digest.
enum class ProviderKind : std::uint8_t { Mock = 0, Rithmic = 1, Cqg = 2, Binance = 3 };

// The provider's configuration keyword: "mock", "rithmic", "cqg" or "binance".
constexpr std::string_view provider_keyword(ProviderKind p) noexcept {
    switch (p) {
        case ProviderKind::Rithmic:
            return "rithmic";
        case ProviderKind::Cqg:
            return "cqg";
        case ProviderKind::Binance:
            return "binance";
        case ProviderKind::Mock:
            break;
    }
    return "mock";
}

// Names of the environment variables holding a provider's credentials; never the secrets.
struct CredentialsRef {
    std::string key_id_env;
    std::string secret_env;

    friend bool operator==(const CredentialsRef&, const CredentialsRef&) = default;
};

struct AdapterConfig {
    ProviderKind provider = ProviderKind::Mock;
    std::optional<std::string> endpoint;
    std::optional<std::string> app_name;
    std::optional<CredentialsRef> credentials;

    friend bool operator==(const AdapterConfig&, const AdapterConfig&) = default;
};

// Default construction gives the defaults both configuration mappings start from.
struct EngineConfig {
    std::string instance_id = "default";
    bool enable_persistence = false;
    std::int64_t signal_threshold = 100;
    std::string data_root = "data";
    std::string audit_log_path = "audit/quorix_audit.log";
    std::uint64_t audit_max_bytes = 10485760;  // 10 MiB
    std::uint32_t audit_max_files = 5;
    std::vector<std::string> audit_redact_tokens = {"secret", "password", "token", "api_key"};
    std::uint64_t data_retention_max_bytes = 0;     // 0: no size limit
    std::uint64_t data_retention_max_age_secs = 0;  // 0: no age limit
    AdapterConfig adapter;

    friend bool operator==(const EngineConfig&, const EngineConfig&) = default;
};

}  // namespace qx
