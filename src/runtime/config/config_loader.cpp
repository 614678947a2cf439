#include "runtime/config/config_loader.h"

#include "runtime/config/config_mapping.h"
#include "runtime/config/legacy_readers.h"
#include "runtime/config/strict_readers.h"
#include "support/fs.h"
#include "support/utf8.h"

namespace qx {
namespace {

constexpr std::string_view kPreferTyped =
    "; prefer typed top-level runtime keys with nested adapter and adapter.credentials sections";

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The report of a configuration the legacy reader produced after the strict one failed.
Expected<ConfigLoadReport, RuntimeError> legacy_outcome(
    std::string_view format, const std::string& strict_error,
    Expected<EngineConfig, RuntimeError> mapped) {
    if (!mapped) {
        return Unexpected(RuntimeError::config(
            "strict " + std::string(format) + " parse failed: " + strict_error +
            "; legacy fallback failed: " + mapped.error().display()));
    }
    ConfigLoadReport report;
    report.config = std::move(*mapped);
    report.format = std::string(format);
    report.used_legacy_fallback = true;
    report.warning = "loaded config via legacy " + std::string(format) +
                     " fallback after strict parse failed: " + strict_error +
                     std::string(kPreferTyped);
    return report;
}

Expected<ConfigLoadReport, RuntimeError> typed_outcome(std::string_view format,
                                                       const RuntimeConfigFile& file) {
    auto mapped = config_from_typed(file);
    if (!mapped) {
        return Unexpected(std::move(mapped.error()));
    }
    ConfigLoadReport report;
    report.config = std::move(*mapped);
    report.format = std::string(format);
    return report;
}

}  // namespace

Expected<ConfigLoadReport, RuntimeError> parse_config_toml(std::string_view text) {
    const auto strict = read_strict_toml(text);
    if (strict) {
        return typed_outcome("toml", *strict);
    }
    auto legacy = read_legacy_toml(text);
    if (!legacy) {
        return Unexpected(std::move(legacy.error()));  // "invalid toml line", unchanged
    }
    return legacy_outcome("toml", strict.error(), config_from_map(*legacy));
}

Expected<ConfigLoadReport, RuntimeError> parse_config_json(std::string_view text) {
    const auto strict = read_strict_json(text);
    if (strict) {
        return typed_outcome("json", *strict);
    }
    return legacy_outcome("json", strict.error(), config_from_map(read_legacy_json(text)));
}

Expected<ConfigLoadReport, RuntimeError> load_engine_config_report_from_path(
    const std::string& path) {
    auto text = fs::read_file(path);
    if (!text) {
        return Unexpected(RuntimeError::io(std::move(text.error())));
    }
    if (!is_valid_utf8(*text)) {
        return Unexpected(RuntimeError::io("file is not valid UTF-8 text"));
    }
    if (ends_with(path, ".json")) {
        return parse_config_json(*text);
    }
    if (ends_with(path, ".toml")) {
        return parse_config_toml(*text);
    }
    return Unexpected(RuntimeError::config("unsupported config format; use .json or .toml"));
}

Expected<EngineConfig, RuntimeError> load_engine_config_from_path(const std::string& path) {
    auto report = load_engine_config_report_from_path(path);
    if (!report) {
        return Unexpected(std::move(report.error()));
    }
    return std::move(report->config);
}

}  // namespace qx
