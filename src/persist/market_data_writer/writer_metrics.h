// A snapshot of the background writer's counters. Each value is read on its own, so a snapshot
// taken while the writer runs is not one atomic picture.
#pragma once

#include <cstdint>
#include <optional>

namespace qx::persist {

struct MarketDataWalWriterMetrics {
    std::optional<std::uint64_t> last_written_sequence;  // absent until a record is written
    std::optional<std::uint64_t> last_durable_sequence;  // absent until a record is synced
    std::uint64_t accepted_records = 0;
    std::uint64_t accepted_payload_bytes = 0;
    std::uint64_t written_records = 0;
    std::uint64_t written_payload_bytes = 0;
    std::uint64_t latest_accepted_ts_recv_ns = 0;
    std::uint64_t latest_written_ts_recv_ns = 0;
    std::uint64_t event_time_lag_ns = 0;  // latest accepted - latest written, floored at 0
    std::uint64_t abandoned_records = 0;
    std::uint64_t abandoned_payload_bytes = 0;
    std::uint64_t queue_depth = 0;
    std::uint64_t queue_high_watermark = 0;
    std::uint64_t queued_payload_bytes = 0;
    std::uint64_t queued_payload_high_watermark = 0;
    std::uint64_t rejected_queue_full = 0;
    std::uint64_t rejected_payload_bytes_full = 0;
    std::uint64_t rejected_payload_too_large = 0;
    std::uint64_t rejected_codec = 0;
    std::uint64_t rejected_stopped = 0;
    std::uint64_t write_failures = 0;
    std::uint64_t sync_failures = 0;
    std::uint64_t syncs = 0;
    bool degraded = false;
    bool stopped = false;
};

}  // namespace qx::persist
