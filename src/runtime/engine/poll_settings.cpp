#include "runtime/engine/poll_settings.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "support/saturating.h"
#include "support/utf8.h"

namespace qx {
std::optional<std::uint64_t> parse_env_u64(std::string_view text) {
    text = trim_unicode_whitespace(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::string_view> read_env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string_view view(value, std::strlen(value));
    if (!is_valid_utf8(view)) {
        return std::nullopt;
    }
    return view;
}

std::optional<std::uint64_t> max_events_per_poll_from_env() {
    const auto text = read_env("QX_RUNTIME_MAX_EVENTS_PER_POLL");
    if (!text) {
        return std::nullopt;
    }
    const auto value = parse_env_u64(*text);
    if (!value || *value == 0) {
        return std::nullopt;
    }
    return value;
}

CircuitBreakerState CircuitBreakerState::from_env() {
    CircuitBreakerState s;
    if (const auto text = read_env("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES")) {
        const auto value = parse_env_u64(*text);
        if (value && *value <= std::numeric_limits<std::uint32_t>::max()) {
            s.failure_threshold = static_cast<std::uint32_t>(*value);
        }
    }
    if (const auto text = read_env("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS")) {
        const auto value = parse_env_u64(*text);
        if (value && *value != 0) {
            s.cooldown_ms = *value;
        }
    }
    return s;
}

void CircuitBreakerState::record_failure(std::uint64_t now_ns) noexcept {
    if (failure_threshold == 0) {
        return;
    }
    if (consecutive_failures < std::numeric_limits<std::uint32_t>::max()) {
        ++consecutive_failures;
    }
    if (consecutive_failures >= failure_threshold) {
        open = true;
        open_until_ns = sat_add(now_ns, sat_mul(cooldown_ms, std::uint64_t{1000000}));
        opened_count = sat_add(opened_count, std::uint64_t{1});
    }
}

}  // namespace qx
