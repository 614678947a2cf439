// Windows, capacities and thresholds with which the engine creates per-instrument trackers.
#pragma once

#include <cstdint>

#include "qx/qx.h"

namespace qx {

struct AnalyticsConfig {
    std::int64_t institutional_min_size = 5000;
    std::uint64_t book_event_window_ns = 1000000000;
    std::uint64_t vpin_bucket_volume = 5000;
    std::uint32_t vpin_window = 50;
    std::uint32_t kyle_window = 100;
    std::uint32_t cvd_window = 50;
    std::uint32_t volatility_window = 100;
    std::uint32_t noise_window = 100;
    std::uint32_t hasbrouck_window = 100;
    std::uint32_t almgren_chriss_window = 100;
    std::uint32_t acd_window = 100;
    std::uint32_t vol_signature_window = 200;
    std::uint32_t agent_type_window = 100;
    std::uint32_t institutional_window = 100;
    std::uint32_t resiliency_window = 1024;
    std::uint32_t spread_decomposition_window = 100;
    std::uint32_t regime_window = 100;
    std::uint32_t book_event_capacity = 65536;
    std::uint32_t spread_window = 1024;

    friend bool operator==(const AnalyticsConfig&, const AnalyticsConfig&) = default;
};

// vpin_bucket_volume 0 becomes 1; every 32-bit window and capacity above 1000000 becomes
// 1000000; the two thresholds are kept as they are.
AnalyticsConfig sanitize_analytics_config(AnalyticsConfig config);

// The record's fields widened into an AnalyticsConfig (not yet sanitised); NULL gives defaults.
AnalyticsConfig analytics_config_from_ffi(const qx_analytics_config_t* record);

}  // namespace qx
