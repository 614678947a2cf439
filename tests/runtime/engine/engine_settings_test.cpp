// Quality-flag names, analytics configuration sanitising and the poll loop's environment
// settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "runtime/engine/analytics_config.h"
#include "runtime/engine/poll_settings.h"
#include "runtime/engine/quality_flags.h"
#include "runtime/engine/runtime_error.h"

namespace qx {
namespace {

TEST(QualityFlags, DetailNamesSetBitsInOrder) {
    EXPECT_EQ(quality_flags_detail_json(0), "[]");
    EXPECT_EQ(quality_flags_detail_json(64), "[]");
    EXPECT_EQ(quality_flags_detail_json(18), R"(["SEQUENCE_GAP","OUT_OF_ORDER"])");
    EXPECT_EQ(
        quality_flags_detail_json(63 | 128),
        R"(["STALE_FEED","SEQUENCE_GAP","CLOCK_SKEW","DEPTH_TRUNCATED","OUT_OF_ORDER","ADAPTER_DEGRADED"])");
}

TEST(RuntimeError, DisplayTextsAndBackpressure) {
    EXPECT_EQ(RuntimeError::adapter("x").display(), "adapter error: x");
    EXPECT_EQ(RuntimeError::config("y").display(), "config error: y");
    EXPECT_EQ(RuntimeError::io("z").display(), "io error: z");
    EXPECT_EQ(RuntimeError::not_started().display(), "engine not started");
    EXPECT_TRUE(RuntimeError::adapter("backpressure: drained_events=5").is_backpressure());
    EXPECT_FALSE(RuntimeError::io("backpressure: x").is_backpressure());
    EXPECT_FALSE(RuntimeError::adapter("circuit_open: x").is_backpressure());
}

TEST(AnalyticsConfig, SanitisingClampsOnlyWhatItShould) {
    qx_analytics_config_t r{};
    r.institutional_min_size = -7;
    r.book_event_window_ns = std::numeric_limits<std::uint64_t>::max();
    r.vpin_bucket_volume = 0;
    r.spread_window = 4000000;
    r.kyle_window = 0;
    r.regime_window = 1000000;
    const AnalyticsConfig c = sanitize_analytics_config(analytics_config_from_ffi(&r));
    EXPECT_EQ(c.institutional_min_size, -7);
    EXPECT_EQ(c.book_event_window_ns, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(c.vpin_bucket_volume, 1u);
    EXPECT_EQ(c.spread_window, 1000000u);
    EXPECT_EQ(c.kyle_window, 0u);
    EXPECT_EQ(c.regime_window, 1000000u);
    r.vpin_bucket_volume = 1;
    EXPECT_EQ(sanitize_analytics_config(analytics_config_from_ffi(&r)).vpin_bucket_volume, 1u);
    EXPECT_EQ(analytics_config_from_ffi(nullptr), AnalyticsConfig{});
    EXPECT_EQ(AnalyticsConfig{}.book_event_capacity, 65536u);
    EXPECT_EQ(AnalyticsConfig{}.vol_signature_window, 200u);
}

TEST(PollSettings, EnvironmentValueParsing) {
    struct Case {
        const char* text;
        std::optional<std::uint64_t> value;
    };
    const Case cases[] = {
        {"25", 25},
        {"+25", 25},
        {"  25  ", 25},
        {"\t7\n", 7},
        {"0", 0},
        {"-5", {}},
        {"2x", {}},
        {"", {}},
        {"   ", {}},
        {"+", {}},
        {"++1", {}},
        {"1 2", {}},
        {"18446744073709551615", std::numeric_limits<std::uint64_t>::max()},
        {"18446744073709551616", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_env_u64(c.text), c.value) << "'" << c.text << "'";
    }
}

TEST(PollSettings, LimitAndBreakerFromEnvironment) {
    ::setenv("QX_RUNTIME_MAX_EVENTS_PER_POLL", " +25 ", 1);
    EXPECT_EQ(max_events_per_poll_from_env(), 25u);
    for (const char* none : {"0", "-5", "2x", ""}) {
        ::setenv("QX_RUNTIME_MAX_EVENTS_PER_POLL", none, 1);
        EXPECT_FALSE(max_events_per_poll_from_env()) << none;
    }
    ::unsetenv("QX_RUNTIME_MAX_EVENTS_PER_POLL");
    EXPECT_FALSE(max_events_per_poll_from_env());

    ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES", "4294967296", 1);
    ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS", "0", 1);
    CircuitBreakerState off = CircuitBreakerState::from_env();
    EXPECT_EQ(off.failure_threshold, 0u);
    EXPECT_EQ(off.cooldown_ms, 1000u);
    off.record_failure(1);
    EXPECT_EQ(off.consecutive_failures, 0u) << "a disabled breaker counts nothing";

    ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES", "3", 1);
    ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS", "250", 1);
    CircuitBreakerState b = CircuitBreakerState::from_env();
    ::unsetenv("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES");
    ::unsetenv("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS");
    EXPECT_EQ(b.failure_threshold, 3u);
    EXPECT_EQ(b.cooldown_ms, 250u);
    b.record_failure(10);
    b.record_failure(20);
    EXPECT_FALSE(b.open);
    b.record_failure(30);
    EXPECT_TRUE(b.is_open_at(30));
    EXPECT_EQ(b.open_until_ns, 30u + 250u * 1000000u);
    EXPECT_EQ(b.opened_count, 1u);
    EXPECT_FALSE(b.is_open_at(b.open_until_ns));
    b.record_failure(b.open_until_ns);  // half-open failure reopens at once
    EXPECT_EQ(b.opened_count, 2u);
    b.record_success();
    EXPECT_FALSE(b.open);
    EXPECT_EQ(b.consecutive_failures, 0u);

    CircuitBreakerState sat = b;
    sat.cooldown_ms = std::numeric_limits<std::uint64_t>::max();
    sat.consecutive_failures = 2;
    sat.record_failure(5);
    EXPECT_EQ(sat.open_until_ns, std::numeric_limits<std::uint64_t>::max());
}

}  // namespace
}  // namespace qx
