// The values whose change moves the engine's health sequence.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

struct HealthFingerprint {
    bool started = false;
    bool connected = false;
    bool degraded = false;
    std::uint32_t flags = 0;
    std::string last_error;     // absent prints as the empty text
    std::string protocol_info;  // absent prints as the empty text
    std::uint64_t dropped_events = 0;
    bool breaker_open = false;
    std::uint32_t consecutive_failures = 0;
    std::uint64_t opened_count = 0;
    bool persistence_enabled = false;
    bool persistence_degraded = false;
    std::uint64_t persistence_lost_records = 0;  // abandoned + rejected, saturating
    std::string persistence_last_error;

    // The fourteen values joined by '|' in the order above (booleans as true/false).
    std::string text() const;

    friend bool operator==(const HealthFingerprint&, const HealthFingerprint&) = default;
};

}  // namespace qx
