// The poll loop step: circuit breaker, adapter drain, backpressure and the pipeline.
#include <string>

#include "runtime/engine/audit_events.h"
#include "runtime/engine/engine.h"
#include "support/saturating.h"

namespace qx {

RuntimeResult<> Engine::poll_once(QualityFlags flags) {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    const std::uint64_t now = now_ns();
    if (breaker_.is_open_at(now)) {
        update_health_state(flags | kAdapterDegraded);
        return Unexpected(RuntimeError::adapter(
            "circuit_open: cooldown_ms=" + std::to_string(breaker_.cooldown_ms) +
            " consecutive_failures=" + std::to_string(breaker_.consecutive_failures)));
    }

    poll_buffer_.clear();
    auto polled = adapter_->poll(poll_buffer_);
    if (!polled) {
        breaker_.record_failure(now);
        update_health_state(flags | kAdapterDegraded);
        return Unexpected(RuntimeError::adapter(polled.error().display()));
    }
    breaker_.record_success();

    const std::uint64_t drained = poll_buffer_.size();
    std::uint64_t dropped = 0;
    QualityFlags event_flags = flags;
    if (max_per_poll_ && drained > *max_per_poll_) {
        dropped = drained - *max_per_poll_;
        poll_buffer_.resize(static_cast<std::size_t>(*max_per_poll_));
        dropped_events_ = sat_add(dropped_events_, dropped);
        event_flags |= kAdapterDegraded;
    }

    // The kept events become the batch that callbacks read.
    batch_.swap(poll_buffer_);
    for (const RawEvent& event : batch_) {
        InstrumentState& state = state_for(event.symbol());
        if (auto done = process_event(event, event_flags, state); !done) {
            return done;
        }
    }
    update_health_state(event_flags);

    if (dropped == 0) {
        return {};
    }
    const std::uint64_t kept = batch_.size();
    if (auto logged = audit(kAuditBackpressure,
                            audit_backpressure_details(drained, kept, dropped, *max_per_poll_));
        !logged) {
        return logged;
    }
    return Unexpected(RuntimeError::adapter(
        "backpressure: drained_events=" + std::to_string(drained) +
        " processed_events=" + std::to_string(kept) + " dropped_events=" + std::to_string(dropped) +
        " max_events_per_poll=" + std::to_string(*max_per_poll_)));
}

}  // namespace qx
