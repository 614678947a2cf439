// MarketDataWalProducer: the sending side of the background writer. Any number of threads may
// admit records through producers (copies share the channel and the counters); admission never
// blocks and never touches the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "persist/market_data_writer/bounded_channel.h"
#include "persist/market_data_writer/writer_command.h"
#include "persist/market_data_writer/writer_errors.h"
#include "persist/market_data_writer/writer_metrics.h"
#include "persist/market_data_writer/writer_state.h"
#include "persist/normalized_codec/normalized_record.h"
#include "support/expected.h"

namespace qx::persist {

using NormalizedAdmission = Expected<void, NormalizedMarketDataWriterTryError>;

class MarketDataWalProducer {
  public:
    MarketDataWalProducer(ChannelSender<WriterCommand> sender, std::shared_ptr<WriterState> state,
                          std::size_t queue_capacity, std::uint64_t queued_payload_capacity,
                          std::uint64_t max_payload_bytes);

    // Queues `record` for the worker, or hands it back with the reason: Stopped once the writer
    // stops accepting, Codec for a venue or symbol over 65535 bytes, PayloadTooLarge when its
    // encoded size (36 + venue + symbol bytes) exceeds the log's maximum payload,
    // PayloadByteQueueFull when its bytes do not fit the queued-payload budget, QueueFull when
    // the channel is full. Every outcome is counted. Never blocks.
    NormalizedAdmission try_append_normalized_owned(NormalizedMarketDataRecord record);

    std::optional<std::string> last_error() const { return state_->last_error(); }
    MarketDataWalWriterMetrics metrics() const { return state_->snapshot(); }

    std::size_t queue_capacity() const noexcept { return queue_capacity_; }
    std::uint64_t queued_payload_capacity() const noexcept { return queued_payload_capacity_; }
    std::uint64_t max_payload_bytes() const noexcept { return max_payload_bytes_; }

  private:
    ChannelSender<WriterCommand> sender_;
    std::shared_ptr<WriterState> state_;
    std::size_t queue_capacity_;
    std::uint64_t queued_payload_capacity_;
    std::uint64_t max_payload_bytes_;
};

}  // namespace qx::persist
