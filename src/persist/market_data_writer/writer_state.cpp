#include "persist/market_data_writer/writer_state.h"

namespace qx::persist {

void WriterState::set_error(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(error_mutex_);
        if (!last_error_) {
            last_error_ = text;
        }
    }
    degraded.store(true);
    accepting.store(false);
}

std::optional<std::string> WriterState::last_error() const {
    std::lock_guard<std::mutex> lock(error_mutex_);
    return last_error_;
}

MarketDataWalWriterMetrics WriterState::snapshot() const {
    MarketDataWalWriterMetrics m;
    if (const std::uint64_t s = last_written_sequence.load(); s != 0) {
        m.last_written_sequence = s;
    }
    if (const std::uint64_t s = last_durable_sequence.load(); s != 0) {
        m.last_durable_sequence = s;
    }
    m.accepted_records = accepted_records.load();
    m.accepted_payload_bytes = accepted_payload_bytes.load();
    m.written_records = written_records.load();
    m.written_payload_bytes = written_payload_bytes.load();
    m.latest_accepted_ts_recv_ns = latest_accepted_ts_recv_ns.load();
    m.latest_written_ts_recv_ns = latest_written_ts_recv_ns.load();
    m.event_time_lag_ns = m.latest_accepted_ts_recv_ns > m.latest_written_ts_recv_ns
                              ? m.latest_accepted_ts_recv_ns - m.latest_written_ts_recv_ns
                              : 0;
    m.abandoned_records = abandoned_records.load();
    m.abandoned_payload_bytes = abandoned_payload_bytes.load();
    m.queue_depth = queue_depth.load();
    m.queue_high_watermark = queue_high_watermark.load();
    m.queued_payload_bytes = queued_payload_bytes.load();
    m.queued_payload_high_watermark = queued_payload_high_watermark.load();
    m.rejected_queue_full = rejected_queue_full.load();
    m.rejected_payload_bytes_full = rejected_payload_bytes_full.load();
    m.rejected_payload_too_large = rejected_payload_too_large.load();
    m.rejected_codec = rejected_codec.load();
    m.rejected_stopped = rejected_stopped.load();
    m.write_failures = write_failures.load();
    m.sync_failures = sync_failures.load();
    m.syncs = syncs.load();
    m.degraded = degraded.load();
    m.stopped = stopped.load();
    return m;
}

}  // namespace qx::persist
