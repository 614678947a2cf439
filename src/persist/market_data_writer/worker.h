// The background writer's worker: the one thread that owns the segmented log. It receives
// commands in order, encodes records, appends them, answers flush and shutdown, and on the first
// persistence failure records the error, stops admissions, accounts for everything still queued
// as abandoned and exits. It never retries.
//
// While commands keep arriving the log gathers their frames and writes them in large pieces;
// whenever the channel runs empty the worker has the log write out what it gathered, so a quiet
// writer holds nothing back in memory. Records count as written once the file holds them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "persist/market_data_segmented/segmented_wal.h"
#include "persist/market_data_writer/bounded_channel.h"
#include "persist/market_data_writer/writer_command.h"
#include "persist/market_data_writer/writer_state.h"

namespace qx::persist {

class MarketDataWalWorker {
  public:
    MarketDataWalWorker(std::unique_ptr<SegmentedMarketDataWal> log,
                        ChannelReceiver<WriterCommand> receiver,
                        std::shared_ptr<WriterState> state);

    // The thread body; returns when the worker exits and never throws. An unexpected failure
    // inside (an exception) is treated like a persistence failure and marks the state panicked.
    void run() noexcept;

  private:
    enum class Step { Continue, Exit };

    // A record appended to the log and not yet known to be in the file.
    struct Staged {
        std::uint64_t sequence = 0;
        std::uint64_t bytes = 0;
        std::uint64_t ts_recv_ns = 0;
    };

    void loop();
    // `release_now` gives the command's queue slot and bytes back before it is written.
    Step handle(WriterCommand& command, bool release_now);
    Step append(std::uint16_t kind, std::uint64_t sequence_1, std::uint64_t sequence_2,
                std::uint64_t ts_exchange_ns, std::uint64_t ts_recv_ns,
                std::span<const std::uint8_t> payload, std::uint64_t bytes);
    Step write_out();
    WriterControlResult sync_wal();
    void fail(const std::string& reason);
    void drain_abandoned(const std::string& reason);
    void wait_for_admissions() const;
    void absorb_log_counters(bool count_unexplained_failure);
    void reconcile();
    void abandon(std::uint64_t records, std::uint64_t bytes);
    void abandon_staged();
    // Records received but whose queue slot and bytes are not yet given back to producers.
    void take(std::uint64_t bytes);
    void release_taken();
    void finish();

    std::unique_ptr<SegmentedMarketDataWal> log_;
    ChannelReceiver<WriterCommand> receiver_;
    std::shared_ptr<WriterState> state_;
    std::vector<std::uint8_t> encode_buf_;
    std::vector<Staged> staged_;
    std::size_t staged_head_ = 0;
    std::uint64_t last_written_ = 0;
    std::uint64_t last_durable_ = 0;
    SegmentedMarketDataWalCounters seen_;  // log counters already reflected in the state
    std::uint64_t taken_records_ = 0;
    std::uint64_t taken_bytes_ = 0;
};

}  // namespace qx::persist
