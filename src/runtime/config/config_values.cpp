#include "runtime/config/config_values.h"

#include <limits>
#include <optional>

#include "support/ascii_case.h"
#include "support/utf8.h"

namespace qx {
namespace {

RuntimeError invalid(std::string_view type, std::string_view key, std::string_view value) {
    std::string m = "invalid ";
    m.append(type).append(" for ").append(key).append(": ").append(value);
    return RuntimeError::config(std::move(m));
}

// Decimal digits (at least one) into a value no larger than `max`; nullopt otherwise.
std::optional<std::uint64_t> parse_digits(std::string_view digits, std::uint64_t max) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t v = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (v > (max - d) / 10) {
            return std::nullopt;
        }
        v = v * 10 + d;
    }
    return v;
}

std::optional<std::uint64_t> parse_unsigned(std::string_view text, std::uint64_t max) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    return parse_digits(text, max);
}

}  // namespace

Expected<std::uint64_t, RuntimeError> parse_u64(std::string_view value, std::string_view key) {
    const auto v =
        parse_unsigned(trim_unicode_whitespace(value), std::numeric_limits<std::uint64_t>::max());
    if (!v) {
        return Unexpected(invalid("u64", key, value));
    }
    return *v;
}

Expected<bool, RuntimeError> parse_bool_value(std::string_view value, std::string_view key) {
    const std::string t = ascii_lower(trim_unicode_whitespace(value));
    if (t == "true") {
        return true;
    }
    if (t == "false") {
        return false;
    }
    return Unexpected(invalid("bool", key, value));
}

Expected<std::int64_t, RuntimeError> parse_i64_value(std::string_view value, std::string_view key) {
    std::string_view t = trim_unicode_whitespace(value);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    const auto magnitude = parse_digits(t, negative ? kMax + 1 : kMax);
    if (!magnitude) {
        return Unexpected(invalid("i64", key, value));
    }
    if (negative) {
        // Two's complement negation in unsigned arithmetic also covers the minimum value.
        return static_cast<std::int64_t>(~*magnitude + 1);
    }
    return static_cast<std::int64_t>(*magnitude);
}

Expected<std::uint32_t, RuntimeError> parse_u32_value(std::string_view value,
                                                      std::string_view key) {
    const auto v =
        parse_unsigned(trim_unicode_whitespace(value), std::numeric_limits<std::uint32_t>::max());
    if (!v) {
        return Unexpected(invalid("u32", key, value));
    }
    return static_cast<std::uint32_t>(*v);
}

std::vector<std::string> parse_csv(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const std::string_view trimmed = trim_unicode_whitespace(piece);
        if (!trimmed.empty()) {
            out.emplace_back(trimmed);
        }
        if (comma == std::string_view::npos) {
            return out;
        }
        start = comma + 1;
    }
}

Expected<ProviderKind, RuntimeError> parse_provider(std::string_view text) {
    const std::string t = ascii_lower(trim_unicode_whitespace(text));
    if (t == "mock") {
        return ProviderKind::Mock;
    }
    if (t == "rithmic") {
        return ProviderKind::Rithmic;
    }
    if (t == "cqg") {
        return ProviderKind::Cqg;
    }
    if (t == "binance" || t == "binance_spot" || t == "crypto_binance") {
        return ProviderKind::Binance;
    }
    return Unexpected(RuntimeError::config("unknown provider: " + std::string(text)));
}

}  // namespace qx
