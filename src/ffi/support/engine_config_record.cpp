#include "ffi/support/engine_config_record.h"

#include "ffi/support/text_args.h"
#include "runtime/config/config_loader.h"
#include "support/utf8.h"

namespace qx::ffi {

EngineConfig builtin_engine_config() {
    EngineConfig config;
    config.data_retention_max_bytes = 10485760;
    config.data_retention_max_age_secs = 604800;
    return config;
}

std::vector<std::string> split_redact_tokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
        const std::string_view piece = trim_unicode_whitespace(text.substr(start, end - start));
        if (!piece.empty()) {
            tokens.emplace_back(piece);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return tokens;
}

std::optional<EngineConfig> engine_config_from_record(const qx_engine_config_t& record) {
    EngineConfig config;
    if (const auto path = non_empty_string(record.config_path)) {
        auto loaded = load_engine_config_from_path(*path);
        if (!loaded) {
            return std::nullopt;
        }
        config = std::move(*loaded);
    } else {
        config = builtin_engine_config();
    }
    if (auto id = non_empty_string(record.instance_id)) {
        config.instance_id = std::move(*id);
    }
    config.enable_persistence = record.enable_persistence != 0;
    if (record.audit_max_bytes != 0) {
        config.audit_max_bytes = record.audit_max_bytes;
    }
    if (record.audit_max_files != 0) {
        config.audit_max_files = record.audit_max_files;
    }
    if (const auto tokens = non_empty_string(record.audit_redact_tokens)) {
        if (auto split = split_redact_tokens(*tokens); !split.empty()) {
            config.audit_redact_tokens = std::move(split);
        }
    }
    if (record.data_retention_max_bytes != 0) {
        config.data_retention_max_bytes = record.data_retention_max_bytes;
    }
    if (record.data_retention_max_age_secs != 0) {
        config.data_retention_max_age_secs = record.data_retention_max_age_secs;
    }
    return config;
}

}  // namespace qx::ffi
