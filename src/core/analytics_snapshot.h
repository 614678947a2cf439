// The eight order-flow values of an instrument that every signal module consumes.
#pragma once

#include <cstdint>

namespace qx {

struct AnalyticsSnapshot {
    std::int64_t delta = 0;
    std::int64_t cumulative_delta = 0;
    std::int64_t buy_volume = 0;
    std::int64_t sell_volume = 0;
    std::int64_t last_price = 0;
    std::int64_t point_of_control = 0;
    std::int64_t value_area_low = 0;
    std::int64_t value_area_high = 0;

    friend bool operator==(const AnalyticsSnapshot&, const AnalyticsSnapshot&) = default;
};

}  // namespace qx
