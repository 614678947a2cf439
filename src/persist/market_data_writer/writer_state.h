// WriterState: the counters and flags the background writer shares with its handle and every
// producer. Counters are atomics that saturate; high watermarks and latest timestamps only ever
// rise; the last error is a text under a mutex. Groups written by different threads sit on
// separate cache lines, so producers and the worker do not slow each other down.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <string>

#include "persist/market_data_writer/writer_metrics.h"

namespace qx::persist {

using AtomicCounter = std::atomic<std::uint64_t>;

// Adds `v`, stopping at the largest value instead of wrapping.
inline void add_saturating(AtomicCounter& c, std::uint64_t v) noexcept {
    std::uint64_t cur = c.load(std::memory_order_relaxed);
    for (;;) {
        const std::uint64_t next = cur > std::numeric_limits<std::uint64_t>::max() - v
                                       ? std::numeric_limits<std::uint64_t>::max()
                                       : cur + v;
        if (c.compare_exchange_weak(cur, next)) {
            return;
        }
    }
}

// Raises the value to `v` if it is below.
inline void raise_to(AtomicCounter& c, std::uint64_t v) noexcept {
    std::uint64_t cur = c.load(std::memory_order_relaxed);
    while (cur < v && !c.compare_exchange_weak(cur, v)) {
    }
}

struct WriterState {
    // Written by producers on every admission.
    alignas(64) AtomicCounter in_flight{0};
    AtomicCounter accepted_records{0};
    AtomicCounter accepted_payload_bytes{0};
    AtomicCounter latest_accepted_ts_recv_ns{0};
    AtomicCounter queue_high_watermark{0};
    AtomicCounter queued_payload_high_watermark{0};

    // Raised by producers, lowered by the worker.
    alignas(64) AtomicCounter queue_depth{0};
    AtomicCounter queued_payload_bytes{0};

    // Read by every admission, written rarely.
    alignas(64) std::atomic<bool> accepting{true};
    std::atomic<bool> stopped{false};
    std::atomic<bool> degraded{false};
    std::atomic<bool> panicked{false};  // the worker ended through an unhandled failure

    // Written by producers on refusals.
    alignas(64) AtomicCounter rejected_queue_full{0};
    AtomicCounter rejected_payload_bytes_full{0};
    AtomicCounter rejected_payload_too_large{0};
    AtomicCounter rejected_codec{0};
    AtomicCounter rejected_stopped{0};

    // Written by the worker.
    alignas(64) AtomicCounter written_records{0};
    AtomicCounter written_payload_bytes{0};
    AtomicCounter latest_written_ts_recv_ns{0};
    AtomicCounter last_written_sequence{0};
    AtomicCounter last_durable_sequence{0};
    AtomicCounter abandoned_records{0};
    AtomicCounter abandoned_payload_bytes{0};
    AtomicCounter write_failures{0};
    AtomicCounter sync_failures{0};
    AtomicCounter syncs{0};

    // Stores the text of the first failure, marks the writer degraded and stops admissions.
    void set_error(const std::string& text);
    std::optional<std::string> last_error() const;
    MarketDataWalWriterMetrics snapshot() const;

  private:
    mutable std::mutex error_mutex_;
    std::optional<std::string> last_error_;
};

}  // namespace qx::persist
