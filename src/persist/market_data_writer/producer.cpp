#include "persist/market_data_writer/producer.h"

#include <algorithm>
#include <utility>

namespace qx::persist {
namespace {

// Counts the call as in flight for its whole duration. The worker, before it drains the channel
// after a failure, first stops admissions and then waits for this count to reach 0, so a record
// reported accepted is always either written or counted as abandoned.
class InFlight {
  public:
    explicit InFlight(AtomicCounter& c) : c_(c) { c_.fetch_add(1); }
    ~InFlight() { c_.fetch_sub(1); }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

  private:
    AtomicCounter& c_;
};

NormalizedAdmission refuse(NormalizedWriterTryErrorKind kind, NormalizedMarketDataRecord&& record,
                           NormalizedMarketDataCodecError codec = {}) {
    return Unexpected(NormalizedMarketDataWriterTryError{kind, codec, std::move(record)});
}

}  // namespace

MarketDataWalProducer::MarketDataWalProducer(ChannelSender<WriterCommand> sender,
                                             std::shared_ptr<WriterState> state,
                                             std::size_t queue_capacity,
                                             std::uint64_t queued_payload_capacity,
                                             std::uint64_t max_payload_bytes)
    : sender_(std::move(sender)),
      state_(std::move(state)),
      queue_capacity_(queue_capacity),
      queued_payload_capacity_(queued_payload_capacity),
      max_payload_bytes_(max_payload_bytes) {}

NormalizedAdmission MarketDataWalProducer::try_append_normalized_owned(
    NormalizedMarketDataRecord record) {
    using K = NormalizedWriterTryErrorKind;
    WriterState& st = *state_;
    InFlight in_flight(st.in_flight);
    if (!st.accepting.load()) {
        add_saturating(st.rejected_stopped, 1);
        return refuse(K::Stopped, std::move(record));
    }
    if (record.venue.size() > kMaxNormalizedIdentifierBytes) {
        add_saturating(st.rejected_codec, 1);
        return refuse(K::Codec, std::move(record),
                      NormalizedMarketDataCodecError{NormalizedCodecErrorKind::VenueTooLong});
    }
    if (record.symbol.size() > kMaxNormalizedIdentifierBytes) {
        add_saturating(st.rejected_codec, 1);
        return refuse(K::Codec, std::move(record),
                      NormalizedMarketDataCodecError{NormalizedCodecErrorKind::SymbolTooLong});
    }
    const std::uint64_t size = record.encoded_size();
    if (size > max_payload_bytes_) {
        add_saturating(st.rejected_payload_too_large, 1);
        return refuse(K::PayloadTooLarge, std::move(record));
    }

    std::uint64_t queued = st.queued_payload_bytes.load();
    for (;;) {
        if (size > queued_payload_capacity_ || queued > queued_payload_capacity_ - size) {
            add_saturating(st.rejected_payload_bytes_full, 1);
            return refuse(K::PayloadByteQueueFull, std::move(record));
        }
        if (st.queued_payload_bytes.compare_exchange_weak(queued, queued + size)) {
            break;
        }
    }
    const std::uint64_t reserved_total = queued + size;
    const std::uint64_t previous_depth = st.queue_depth.fetch_add(1);
    const std::uint64_t ts_recv = record.ts_recv_ns;

    WriterCommand command(std::in_place_type<NormalizedCommand>,
                          NormalizedCommand{std::move(record), size});
    const ChannelSendResult sent = sender_.try_send(command);
    if (sent == ChannelSendResult::Sent) {
        add_saturating(st.accepted_records, 1);
        add_saturating(st.accepted_payload_bytes, size);
        raise_to(st.latest_accepted_ts_recv_ns, ts_recv);
        // The depth counts admissions still trying to send, some of which will find the
        // channel full, so it can briefly read above the capacity; the watermark cannot.
        raise_to(st.queue_high_watermark,
                 std::min<std::uint64_t>(previous_depth + 1, queue_capacity_));
        raise_to(st.queued_payload_high_watermark, reserved_total);
        return {};
    }
    st.queue_depth.fetch_sub(1);
    st.queued_payload_bytes.fetch_sub(size);
    NormalizedMarketDataRecord back = std::move(std::get<NormalizedCommand>(command).record);
    if (sent == ChannelSendResult::Full) {
        add_saturating(st.rejected_queue_full, 1);
        return refuse(K::QueueFull, std::move(back));
    }
    st.accepting.store(false);
    st.stopped.store(true);
    add_saturating(st.rejected_stopped, 1);
    return refuse(K::Stopped, std::move(back));
}

}  // namespace qx::persist
