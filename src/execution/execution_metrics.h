// The engine's counters; each saturates at its maximum.
#pragma once

#include <cstdint>

namespace qx::exec {

struct ExecutionMetrics {
    std::uint64_t orders_submitted = 0;  // new orders handed to the venue successfully
    std::uint64_t cancels_sent = 0;
    std::uint64_t amends_sent = 0;
    std::uint64_t events_applied = 0;  // events journaled while applying venue events
    std::uint64_t risk_rejects = 0;    // submissions and amends refused by risk or operator

    friend bool operator==(const ExecutionMetrics&, const ExecutionMetrics&) = default;
};

}  // namespace qx::exec
