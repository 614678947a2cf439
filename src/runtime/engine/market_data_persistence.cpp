#include "runtime/engine/market_data_persistence.h"

#include <limits>

#include "persist/normalized_codec/normalized_record.h"
#include "runtime/engine/persistence_document.h"
#include "support/json_writer.h"
#include "support/saturating.h"

namespace qx {

std::string_view failure_action_name(MarketDataFailureAction action) noexcept {
    switch (action) {
        case MarketDataFailureAction::StopMarketData:
            return "stop_market_data";
        case MarketDataFailureAction::StopTrading:
            return "stop_trading";
        case MarketDataFailureAction::FailProcess:
            return "fail_process";
        case MarketDataFailureAction::MemoryOnly:
            return "memory_only";
        case MarketDataFailureAction::MarkDegraded:
            break;
    }
    return "mark_degraded";
}

RuntimeMarketDataPersistence::RuntimeMarketDataPersistence(
    persist::MarketDataWalProducer producer,
    std::optional<persist::BoundedMarketDataWalWriter> writer, MarketDataFailureAction action)
    : producer_(std::move(producer)), writer_(std::move(writer)), action_(action) {}

RuntimeMarketDataPersistence::~RuntimeMarketDataPersistence() {
    if (writer_) {
        (void)writer_->shutdown();
    }
}

RuntimeResult<> RuntimeMarketDataPersistence::persist_event(const RawEvent& event,
                                                            std::uint32_t quality_flags) {
    if (memory_only_) {
        return {};
    }
    persist::NormalizedMarketDataRecord record =
        event.is_trade()
            ? persist::NormalizedMarketDataRecord::from_trade(*event.as_trade(), quality_flags)
            : persist::NormalizedMarketDataRecord::from_book_update(*event.as_book(),
                                                                    quality_flags);
    auto admitted = producer_.try_append_normalized_owned(std::move(record));
    if (admitted) {
        return {};
    }
    const std::string message = admitted.error().message();
    rejected_records_ = sat_add(rejected_records_, std::uint64_t{1});
    last_error_ = message;
    switch (action_) {
        case MarketDataFailureAction::StopMarketData:
            return Unexpected(
                RuntimeError::io("market-data persistence stopped event processing: " + message));
        case MarketDataFailureAction::FailProcess:
            return Unexpected(RuntimeError::io(
                "market-data persistence fail-closed policy triggered: " + message));
        case MarketDataFailureAction::MemoryOnly:
            memory_only_ = true;
            return {};
        case MarketDataFailureAction::MarkDegraded:
        case MarketDataFailureAction::StopTrading:
            break;
    }
    return {};
}

bool RuntimeMarketDataPersistence::trouble() const {
    if (rejected_records_ > 0 || memory_only_) {
        return true;
    }
    const persist::MarketDataWalWriterMetrics m = producer_.metrics();
    return m.degraded || m.stopped || m.abandoned_records > 0;
}

bool RuntimeMarketDataPersistence::blocks_market_data() const {
    return (action_ == MarketDataFailureAction::StopMarketData ||
            action_ == MarketDataFailureAction::FailProcess) &&
           trouble();
}

bool RuntimeMarketDataPersistence::blocks_trading() const {
    return (action_ == MarketDataFailureAction::StopMarketData ||
            action_ == MarketDataFailureAction::StopTrading ||
            action_ == MarketDataFailureAction::FailProcess) &&
           trouble();
}

MarketDataPersistenceHealth RuntimeMarketDataPersistence::health() const {
    const persist::MarketDataWalWriterMetrics m = producer_.metrics();
    MarketDataPersistenceHealth h;
    h.last_error = last_error_ ? last_error_ : producer_.last_error();
    if (!h.last_error && memory_only_) {
        h.last_error = "market-data persistence switched to memory-only retention";
    }
    h.records_lag = sat_sub(sat_sub(m.accepted_records, m.written_records), m.abandoned_records);
    h.event_time_lag_ns = m.event_time_lag_ns;
    h.queued_payload_bytes = m.queued_payload_bytes;
    h.lost_records = sat_add(rejected_records_, m.abandoned_records);
    h.write_failures = m.write_failures;
    h.sync_failures = m.sync_failures;
    h.queue_depth = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(m.queue_depth, std::numeric_limits<std::uint32_t>::max()));
    h.enabled = !memory_only_;
    h.degraded = h.lost_records > 0 || m.degraded || m.stopped || memory_only_;
    return h;
}

std::string RuntimeMarketDataPersistence::to_json() const {
    const persist::MarketDataWalWriterMetrics m = producer_.metrics();
    const MarketDataPersistenceHealth h = health();
    const auto optional_sequence = [](JsonWriter& w, const std::optional<std::uint64_t>& v) {
        if (v && *v != 0) {
            w.u64(*v);
        } else {
            w.null();
        }
    };
    JsonWriter w(768);
    w.begin_object();
    w.key("schema_version").u64(1);
    w.key("mode").string("bounded_async");
    w.key("enabled").boolean(h.enabled);
    w.key("degraded").boolean(h.degraded);
    w.key("memory_only").boolean(memory_only_);
    w.key("failure_action").string(failure_action_name(action_));
    w.key("blocks_trading").boolean(blocks_trading());
    w.key("accepted_records").u64(m.accepted_records);
    w.key("written_records").u64(m.written_records);
    w.key("abandoned_records").u64(m.abandoned_records);
    w.key("records_lag").u64(h.records_lag);
    w.key("event_time_lag_ns").u64(h.event_time_lag_ns);
    w.key("latest_accepted_ts_recv_ns").u64(m.latest_accepted_ts_recv_ns);
    w.key("latest_written_ts_recv_ns").u64(m.latest_written_ts_recv_ns);
    w.key("queue_depth").u64(m.queue_depth);
    w.key("queue_capacity").u64(producer_.queue_capacity());
    w.key("queue_high_watermark").u64(m.queue_high_watermark);
    w.key("queued_payload_bytes").u64(m.queued_payload_bytes);
    w.key("queued_payload_capacity").u64(producer_.queued_payload_capacity());
    w.key("queued_payload_high_watermark").u64(m.queued_payload_high_watermark);
    w.key("rejected_records").u64(rejected_records_);
    w.key("write_failures").u64(m.write_failures);
    w.key("sync_failures").u64(m.sync_failures);
    w.key("last_written_sequence");
    optional_sequence(w, m.last_written_sequence);
    w.key("last_durable_sequence");
    optional_sequence(w, m.last_durable_sequence);
    w.key("last_error");
    if (h.last_error) {
        w.string(*h.last_error);
    } else {
        w.null();
    }
    w.end_object();
    return std::move(w).take();
}

persist::WriterControlResult RuntimeMarketDataPersistence::flush() {
    if (!writer_) {
        return Unexpected(persist::MarketDataWriterControlError::stopped());
    }
    return writer_->flush();
}

persist::WriterShutdownResult RuntimeMarketDataPersistence::shutdown_writer() {
    if (!writer_) {
        return Unexpected(persist::MarketDataWriterControlError::stopped());
    }
    persist::WriterShutdownResult result = writer_->shutdown();
    writer_.reset();
    return result;
}

std::string format_runtime_market_data_persistence_json(
    const RuntimeMarketDataPersistence* persistence) {
    return persistence == nullptr ? disabled_market_data_persistence_json()
                                  : persistence->to_json();
}

}  // namespace qx
