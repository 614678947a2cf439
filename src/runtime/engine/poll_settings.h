// The poll loop's limits: the per-poll event cap and the circuit breaker, both configured from
// environment variables read when an engine is built.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qx {

// Parses a decimal environment value: trimmed of white space, one or more digits with an
// optional single leading '+', fitting in 64 bits. Anything else gives nullopt.
std::optional<std::uint64_t> parse_env_u64(std::string_view text);

// Reads an environment variable; unset or not valid UTF-8 gives nullopt.
std::optional<std::string_view> read_env(const char* name);

// QX_RUNTIME_MAX_EVENTS_PER_POLL: unset, unparseable or 0 mean no limit.
std::optional<std::uint64_t> max_events_per_poll_from_env();

struct CircuitBreakerState {
    bool open = false;
    std::uint64_t open_until_ns = 0;
    std::uint64_t cooldown_ms = 1000;
    std::uint64_t opened_count = 0;
    std::uint32_t failure_threshold = 0;  // 0 disables the breaker
    std::uint32_t consecutive_failures = 0;

    // Threshold from QX_RUNTIME_CIRCUIT_BREAKER_FAILURES (unset, unparseable, 0 or above the
    // 32-bit range: disabled) and cool-down from QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS (unset,
    // unparseable or 0: 1000 ms).
    static CircuitBreakerState from_env();

    // Open and still inside its cool-down at `now_ns`.
    bool is_open_at(std::uint64_t now_ns) const noexcept { return open && now_ns < open_until_ns; }

    // Counts a failed adapter poll; opens the breaker once the threshold is reached.
    void record_failure(std::uint64_t now_ns) noexcept;
    // A successful poll closes the breaker and clears the failure run.
    void record_success() noexcept {
        consecutive_failures = 0;
        open = false;
    }
};

}  // namespace qx
