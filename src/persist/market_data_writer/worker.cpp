#include "persist/market_data_writer/worker.h"

#include <algorithm>
#include <thread>
#include <utility>
#include <variant>

#include "persist/market_data_wal_frame.h"

namespace qx::persist {
namespace {

constexpr unsigned kReceiveSpins = 32;
constexpr std::size_t kEncodeBufferBytes = 512;
constexpr std::uint64_t kReleaseGroup = 64;

std::uint16_t wal_kind(NormalizedMarketDataKind k) {
    return k == NormalizedMarketDataKind::BookUpdate ? kMarketDataWalKindBookUpdate
                                                     : kMarketDataWalKindTrade;
}

}  // namespace

MarketDataWalWorker::MarketDataWalWorker(std::unique_ptr<SegmentedMarketDataWal> log,
                                         ChannelReceiver<WriterCommand> receiver,
                                         std::shared_ptr<WriterState> state)
    : log_(std::move(log)), receiver_(std::move(receiver)), state_(std::move(state)) {
    encode_buf_.reserve(kEncodeBufferBytes);
    seen_ = log_->counters();
}

void MarketDataWalWorker::run() noexcept {
    try {
        loop();
    } catch (...) {
        state_->panicked.store(true);
        try {
            fail("market-data WAL worker panicked");
        } catch (...) {
        }
    }
    try {
        finish();
    } catch (...) {
        state_->accepting.store(false);
        state_->stopped.store(true);
    }
}

void MarketDataWalWorker::loop() {
    for (;;) {
        std::optional<WriterCommand> command = receiver_.recv(kReceiveSpins);
        if (!command) {
            // Every sending side is gone: nothing more can arrive.
            (void)sync_wal();
            return;
        }
        // The first command after a wait gives its queue slot and bytes back at once; the ones
        // taken in a run behind it give theirs back in groups, which keeps the worker off the
        // counters producers are busy with.
        if (handle(*command, true) == Step::Exit) {
            return;
        }
        while ((command = receiver_.try_recv())) {
            if (handle(*command, taken_records_ + 1 >= kReleaseGroup) == Step::Exit) {
                return;
            }
        }
        release_taken();
        if (write_out() == Step::Exit) {
            return;
        }
    }
}

MarketDataWalWorker::Step MarketDataWalWorker::handle(WriterCommand& command, bool release_now) {
    WriterState& st = *state_;
    if (auto* n = std::get_if<NormalizedCommand>(&command)) {
        take(n->reserved_bytes);
        if (release_now) {
            release_taken();
        }
        const NormalizedMarketDataRecord& r = n->record;
        if (auto encoded = r.input().encode_into(encode_buf_); !encoded) {
            add_saturating(st.write_failures, 1);
            abandon(1, n->reserved_bytes);
            fail(encoded.error().message());
            return Step::Exit;
        }
        return append(wal_kind(r.kind), r.sequence, r.sequence, r.ts_exchange_ns, r.ts_recv_ns,
                      encode_buf_, encode_buf_.size());
    }
    if (auto* a = std::get_if<AppendCommand>(&command)) {
        take(a->payload.size());
        if (release_now) {
            release_taken();
        }
        return append(a->kind, a->source_sequence_1, a->source_sequence_2, a->ts_exchange_ns,
                      a->ts_recv_ns, a->payload, a->payload.size());
    }
    release_taken();
    if (auto* f = std::get_if<FlushCommand>(&command)) {
        WriterControlResult r = sync_wal();
        const bool ok = r.has_value();
        (void)f->reply.send(std::move(r));
        if (!ok) {
            fail("flush failed");
            return Step::Exit;
        }
        return Step::Continue;
    }
    auto& s = std::get<ShutdownCommand>(command);
    (void)s.reply.send(sync_wal());
    return Step::Exit;
}

MarketDataWalWorker::Step MarketDataWalWorker::append(std::uint16_t kind, std::uint64_t sequence_1,
                                                      std::uint64_t sequence_2,
                                                      std::uint64_t ts_exchange_ns,
                                                      std::uint64_t ts_recv_ns,
                                                      std::span<const std::uint8_t> payload,
                                                      std::uint64_t bytes) {
    WalResult<std::uint64_t> seq =
        log_->append_record(kind, sequence_1, sequence_2, ts_exchange_ns, ts_recv_ns, payload);
    absorb_log_counters(!seq.has_value());
    if (!seq) {
        // The record whose append failed is lost as far as anyone can rely on (even when its
        // frame reached the file before a failed sync), so it counts as abandoned.
        abandon(1, bytes);
        fail(seq.error().message);
        return Step::Exit;
    }
    staged_.push_back(Staged{*seq, bytes, ts_recv_ns});
    reconcile();
    return Step::Continue;
}

MarketDataWalWorker::Step MarketDataWalWorker::write_out() {
    if (log_->buffered_bytes() == 0) {
        return Step::Continue;
    }
    WalStatus w = log_->write_buffered();
    absorb_log_counters(!w.has_value());
    if (!w) {
        fail(w.error().message);
        return Step::Exit;
    }
    reconcile();
    return Step::Continue;
}

WriterControlResult MarketDataWalWorker::sync_wal() {
    WalStatus s = log_->sync();
    absorb_log_counters(!s.has_value());
    reconcile();
    if (!s) {
        state_->set_error(s.error().message);
        return Unexpected(MarketDataWriterControlError::persistence(s.error().message));
    }
    return {};
}

void MarketDataWalWorker::fail(const std::string& reason) {
    release_taken();
    state_->set_error(reason);
    wait_for_admissions();
    // Whatever the log still holds in memory gets its chance to reach the file; what cannot is
    // abandoned together with everything still queued.
    if (log_->buffered_bytes() > 0) {
        (void)log_->write_buffered();
        absorb_log_counters(false);
    }
    reconcile();
    abandon_staged();
    drain_abandoned(reason);
}

void MarketDataWalWorker::drain_abandoned(const std::string& reason) {
    while (std::optional<WriterCommand> command = receiver_.try_recv()) {
        if (auto* n = std::get_if<NormalizedCommand>(&*command)) {
            take(n->reserved_bytes);
            abandon(1, n->reserved_bytes);
        } else if (auto* a = std::get_if<AppendCommand>(&*command)) {
            take(a->payload.size());
            abandon(1, a->payload.size());
        } else if (auto* f = std::get_if<FlushCommand>(&*command)) {
            (void)f->reply.send(Unexpected(MarketDataWriterControlError::persistence(reason)));
        } else {
            auto& s = std::get<ShutdownCommand>(*command);
            (void)s.reply.send(Unexpected(MarketDataWriterControlError::persistence(reason)));
        }
    }
    release_taken();
}

void MarketDataWalWorker::wait_for_admissions() const {
    while (state_->in_flight.load() != 0) {
        std::this_thread::yield();
    }
}

void MarketDataWalWorker::absorb_log_counters(bool count_unexplained_failure) {
    const SegmentedMarketDataWalCounters& now = log_->counters();
    WriterState& st = *state_;
    const std::uint64_t syncs = now.syncs - seen_.syncs;
    const std::uint64_t sync_failures = now.sync_failures - seen_.sync_failures;
    const std::uint64_t write_failures = now.write_failures - seen_.write_failures;
    if (syncs > 0) {
        add_saturating(st.syncs, syncs);
    }
    if (sync_failures > 0) {
        add_saturating(st.sync_failures, sync_failures);
    }
    if (write_failures > 0) {
        add_saturating(st.write_failures, write_failures);
    }
    if (count_unexplained_failure && sync_failures == 0 && write_failures == 0) {
        // A refusal of the log itself (a manifest failure, an exhausted sequence space, ...).
        add_saturating(st.write_failures, 1);
    }
    seen_ = now;
}

void MarketDataWalWorker::reconcile() {
    const std::uint64_t written = log_->written_sequence();
    const std::uint64_t synced = log_->synced_sequence();
    std::uint64_t durable = last_durable_;
    if (last_written_ != 0 && last_written_ <= synced) {
        durable = last_written_;
    }
    std::uint64_t records = 0;
    std::uint64_t bytes = 0;
    std::uint64_t latest_ts = 0;
    while (staged_head_ < staged_.size() && staged_[staged_head_].sequence <= written) {
        const Staged& s = staged_[staged_head_++];
        ++records;
        bytes += s.bytes;
        latest_ts = std::max(latest_ts, s.ts_recv_ns);
        last_written_ = s.sequence;
        if (s.sequence <= synced) {
            durable = s.sequence;
        }
    }
    if (staged_head_ == staged_.size()) {
        staged_.clear();
        staged_head_ = 0;
    }
    WriterState& st = *state_;
    if (records > 0) {
        add_saturating(st.written_records, records);
        add_saturating(st.written_payload_bytes, bytes);
        raise_to(st.latest_written_ts_recv_ns, latest_ts);
        st.last_written_sequence.store(last_written_);
    }
    if (durable != last_durable_) {
        last_durable_ = durable;
        st.last_durable_sequence.store(durable);
    }
}

void MarketDataWalWorker::abandon(std::uint64_t records, std::uint64_t bytes) {
    add_saturating(state_->abandoned_records, records);
    add_saturating(state_->abandoned_payload_bytes, bytes);
}

void MarketDataWalWorker::abandon_staged() {
    std::uint64_t records = 0;
    std::uint64_t bytes = 0;
    for (std::size_t i = staged_head_; i < staged_.size(); ++i) {
        ++records;
        bytes += staged_[i].bytes;
    }
    staged_.clear();
    staged_head_ = 0;
    if (records > 0) {
        abandon(records, bytes);
    }
}

void MarketDataWalWorker::take(std::uint64_t bytes) {
    ++taken_records_;
    taken_bytes_ += bytes;
}

void MarketDataWalWorker::release_taken() {
    if (taken_records_ > 0) {
        state_->queue_depth.fetch_sub(taken_records_);
        state_->queued_payload_bytes.fetch_sub(taken_bytes_);
        taken_records_ = 0;
        taken_bytes_ = 0;
    }
}

void MarketDataWalWorker::finish() {
    release_taken();
    abandon_staged();
    log_.reset();
    state_->accepting.store(false);
    state_->stopped.store(true);
}

}  // namespace qx::persist
