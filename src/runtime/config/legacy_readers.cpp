#include "runtime/config/legacy_readers.h"

#include <optional>
#include <string>
#include <vector>

#include "support/utf8.h"

namespace qx {
namespace {

// Lines split at line feeds, each without a carriage return before its line feed.
std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        std::string_view line = text.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = lf + 1;
    }
    return lines;
}

std::string_view strip_one_pair_of_quotes(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

Expected<ConfigKeyValues, RuntimeError> read_legacy_toml(std::string_view text) {
    ConfigKeyValues out;
    std::optional<std::string> section;
    for (std::string_view line : split_lines(text)) {
        line = trim_unicode_whitespace(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = std::string(trim_unicode_whitespace(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            return Unexpected(RuntimeError::config("invalid toml line"));
        }
        const std::string_view key = trim_unicode_whitespace(line.substr(0, eq));
        const std::string_view value =
            strip_one_pair_of_quotes(trim_unicode_whitespace(line.substr(eq + 1)));
        std::string stored = section ? *section + "." + std::string(key) : std::string(key);
        out.insert_or_assign(std::move(stored), std::string(value));
    }
    return out;
}

ConfigKeyValues read_legacy_json(std::string_view text) {
    ConfigKeyValues out;
    for (std::string_view line : split_lines(text)) {
        line = trim_unicode_whitespace(line);
        if (line.empty() || line == "{" || line == "}") {
            continue;
        }
        if (line.back() == ',') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.back() == '{') {
            continue;  // the opening line of a nested object
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view key =
            strip_one_pair_of_quotes(trim_unicode_whitespace(line.substr(0, colon)));
        const std::string_view value =
            strip_one_pair_of_quotes(trim_unicode_whitespace(line.substr(colon + 1)));
        if (!key.empty()) {
            out.insert_or_assign(std::string(key), std::string(value));
        }
    }
    return out;
}

}  // namespace qx
