// BoundedMarketDataWalWriter: starts and owns the worker thread of the market-data write-ahead
// log and hands out producers. Admission is bounded twice, by queued commands and by queued
// payload bytes; flush and shutdown wait for the worker's answer.
//
//   auto writer = BoundedMarketDataWalWriter::start(log_config, writer_config);
//   MarketDataWalProducer p = writer->producer();
//   p.try_append_normalized_owned(record);   // never blocks
//   writer->flush();                         // everything accepted so far is synced
//   writer->shutdown();                      // final metrics; the worker is joined
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "persist/market_data_segmented/segmented_config.h"
#include "persist/market_data_writer/bounded_channel.h"
#include "persist/market_data_writer/producer.h"
#include "persist/market_data_writer/writer_command.h"
#include "persist/market_data_writer/writer_config.h"
#include "persist/market_data_writer/writer_errors.h"
#include "persist/market_data_writer/writer_metrics.h"
#include "persist/market_data_writer/writer_state.h"
#include "persist/wal_io_error.h"
#include "support/expected.h"

namespace qx::persist {

using WriterShutdownResult = Expected<MarketDataWalWriterMetrics, MarketDataWriterControlError>;

class BoundedMarketDataWalWriter {
  public:
    // Checks the writer configuration ("market-data WAL queue capacity is zero", "market-data
    // WAL queued payload byte capacity is zero", "market-data WAL worker thread name is empty",
    // all invalid input), opens the log (its error is returned), then starts the named worker.
    // Nothing is left running when it fails.
    static WalResult<BoundedMarketDataWalWriter> start(SegmentedMarketDataWalConfig log_config,
                                                       BoundedMarketDataWriterConfig config);

    BoundedMarketDataWalWriter(BoundedMarketDataWalWriter&&) noexcept = default;
    BoundedMarketDataWalWriter& operator=(BoundedMarketDataWalWriter&&) = delete;
    BoundedMarketDataWalWriter(const BoundedMarketDataWalWriter&) = delete;
    BoundedMarketDataWalWriter& operator=(const BoundedMarketDataWalWriter&) = delete;

    // Without shutdown: admissions stop, this handle's sending side is released and the worker
    // is left to finish on its own (it syncs and exits once every producer is released too).
    ~BoundedMarketDataWalWriter();

    MarketDataWalProducer producer() const;

    // Waits until the worker has written and synced everything queued before this call.
    // Stopped when the worker is gone; Persistence with the failure's text when the sync fails
    // (the writer then stops).
    WriterControlResult flush();

    // Stops admissions, waits for admissions in progress, asks the worker to sync and exit, and
    // joins it. Returns the final metrics, or the worker's failure (Panicked when the worker
    // ended through an unexpected failure after a successful reply). The writer is spent
    // afterwards: flush and shutdown then return Stopped.
    WriterShutdownResult shutdown();

    std::optional<std::string> last_error() const { return state_->last_error(); }
    MarketDataWalWriterMetrics metrics() const { return state_->snapshot(); }
    // The thread name as configured; the operating system sees it cut to 15 bytes.
    const std::string& thread_name() const noexcept { return thread_name_; }

  private:
    BoundedMarketDataWalWriter(ChannelSender<WriterCommand> sender,
                               std::shared_ptr<WriterState> state, std::thread worker,
                               const BoundedMarketDataWriterConfig& config,
                               std::uint64_t max_payload_bytes);

    // Sends a flush or shutdown command and waits for its reply.
    template <typename Command>
    WriterControlResult request();

    ChannelSender<WriterCommand> sender_;
    std::shared_ptr<WriterState> state_;
    std::thread worker_;
    std::string thread_name_;
    std::size_t queue_capacity_ = 0;
    std::uint64_t queued_payload_capacity_ = 0;
    std::uint64_t max_payload_bytes_ = 0;
};

}  // namespace qx::persist
