#include "runtime/engine/health_state.h"

#include "support/number_format.h"

namespace qx {

std::string HealthFingerprint::text() const {
    std::string out;
    const auto b = [&](bool v) { out += v ? "true" : "false"; };
    const auto sep = [&] { out += '|'; };
    b(started);
    sep();
    b(connected);
    sep();
    b(degraded);
    sep();
    append_u64(out, flags);
    sep();
    out += last_error;
    sep();
    out += protocol_info;
    sep();
    append_u64(out, dropped_events);
    sep();
    b(breaker_open);
    sep();
    append_u64(out, consecutive_failures);
    sep();
    append_u64(out, opened_count);
    sep();
    b(persistence_enabled);
    sep();
    b(persistence_degraded);
    sep();
    append_u64(out, persistence_lost_records);
    sep();
    out += persistence_last_error;
    return out;
}

}  // namespace qx
