#include "persist/market_data_writer/writer.h"

#include <new>
#include <system_error>
#include <utility>

#include "persist/market_data_segmented/segmented_wal.h"
#include "persist/market_data_writer/rendezvous.h"
#include "persist/market_data_writer/thread_name.h"
#include "persist/market_data_writer/worker.h"
#include "support/fs.h"

namespace qx::persist {

WalResult<BoundedMarketDataWalWriter> BoundedMarketDataWalWriter::start(
    SegmentedMarketDataWalConfig log_config, BoundedMarketDataWriterConfig config) {
    if (config.queue_capacity == 0) {
        return Unexpected(WalIoError::invalid_input("market-data WAL queue capacity is zero"));
    }
    if (config.queued_payload_capacity == 0) {
        return Unexpected(
            WalIoError::invalid_input("market-data WAL queued payload byte capacity is zero"));
    }
    if (config.thread_name.empty()) {
        return Unexpected(WalIoError::invalid_input("market-data WAL worker thread name is empty"));
    }
    WalResult<std::unique_ptr<SegmentedMarketDataWal>> log =
        SegmentedMarketDataWal::open(std::move(log_config));
    if (!log) {
        return Unexpected(log.error());
    }
    const std::uint64_t max_payload = (*log)->config().max_payload_bytes;
    try {
        auto [sender, receiver] = make_bounded_channel<WriterCommand>(config.queue_capacity);
        auto state = std::make_shared<WriterState>();
        auto worker =
            std::make_unique<MarketDataWalWorker>(std::move(*log), std::move(receiver), state);
        std::thread thread([worker = std::move(worker), name = config.thread_name]() {
            name_current_thread(name);
            worker->run();
        });
        return BoundedMarketDataWalWriter(std::move(sender), std::move(state), std::move(thread),
                                          config, max_payload);
    } catch (const std::system_error& e) {
        return Unexpected(WalIoError::os(fs::errno_text(e.code().value())));
    } catch (const std::bad_alloc&) {
        return Unexpected(WalIoError::os(fs::errno_text(ENOMEM)));
    }
}

BoundedMarketDataWalWriter::BoundedMarketDataWalWriter(ChannelSender<WriterCommand> sender,
                                                       std::shared_ptr<WriterState> state,
                                                       std::thread worker,
                                                       const BoundedMarketDataWriterConfig& config,
                                                       std::uint64_t max_payload_bytes)
    : sender_(std::move(sender)),
      state_(std::move(state)),
      worker_(std::move(worker)),
      thread_name_(config.thread_name),
      queue_capacity_(config.queue_capacity),
      queued_payload_capacity_(config.queued_payload_capacity),
      max_payload_bytes_(max_payload_bytes) {}

BoundedMarketDataWalWriter::~BoundedMarketDataWalWriter() {
    if (state_) {
        state_->accepting.store(false);
    }
    sender_.reset();
    if (worker_.joinable()) {
        worker_.detach();
    }
}

MarketDataWalProducer BoundedMarketDataWalWriter::producer() const {
    return MarketDataWalProducer(sender_, state_, queue_capacity_, queued_payload_capacity_,
                                 max_payload_bytes_);
}

template <typename Command>
WriterControlResult BoundedMarketDataWalWriter::request() {
    if (!sender_) {
        return Unexpected(MarketDataWriterControlError::stopped());
    }
    auto [reply_sender, reply_receiver] = make_rendezvous<WriterControlResult>();
    WriterCommand command(std::in_place_type<Command>, Command{std::move(reply_sender)});
    if (sender_.send(command) != ChannelSendResult::Sent) {
        return Unexpected(MarketDataWriterControlError::stopped());
    }
    std::optional<WriterControlResult> reply = reply_receiver.recv();
    if (!reply) {
        return Unexpected(MarketDataWriterControlError::stopped());
    }
    return std::move(*reply);
}

WriterControlResult BoundedMarketDataWalWriter::flush() {
    return request<FlushCommand>();
}

WriterShutdownResult BoundedMarketDataWalWriter::shutdown() {
    if (!sender_) {
        return Unexpected(MarketDataWriterControlError::stopped());
    }
    state_->accepting.store(false);
    while (state_->in_flight.load() != 0) {
        std::this_thread::yield();
    }
    WriterControlResult reply = request<ShutdownCommand>();
    sender_.reset();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (!reply) {
        return Unexpected(reply.error());
    }
    if (state_->panicked.load()) {
        return Unexpected(MarketDataWriterControlError::panicked());
    }
    return state_->snapshot();
}

}  // namespace qx::persist
