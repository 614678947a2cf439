#include "persist/market_data_segmented/segmented_wal.h"

#include <fcntl.h>

#include <limits>
#include <utility>

#include "persist/market_data_segmented/manifest.h"
#include "persist/market_data_segmented/segment_root.h"
#include "persist/market_data_wal_frame.h"
#include "support/saturating.h"

namespace qx::persist {
namespace {

constexpr std::uint64_t kMaxU64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kFrameBufferCap = 65600;

WalIoError sequence_exhausted() {
    return WalIoError::invalid_data("market-data WAL sequence space is exhausted");
}

WalIoError segment_ids_exhausted() {
    return WalIoError::invalid_data("market-data WAL segment id space is exhausted");
}

void bump(std::uint64_t& counter, std::uint64_t by = 1) {
    counter = sat_add(counter, by);
}

}  // namespace

WalResult<ActiveMarketDataWalSegment> create_active_segment(const std::string& root,
                                                            MarketDataWalSegmentId id,
                                                            std::uint32_t chain_value) {
    ActiveMarketDataWalSegment seg;
    seg.metadata.id = id;
    seg.metadata.path = fs::join(root, segment_file_name(id));
    seg.metadata.last_checksum = chain_value;
    fs::Result<fs::File> f = fs::File::create_new(seg.metadata.path);
    if (!f) {
        return Unexpected(WalIoError::os(f.error()));
    }
    seg.file = std::move(*f);
    return seg;
}

WalResult<ActiveMarketDataWalSegment> open_active_segment(
    const MarketDataWalSegmentMetadata& metadata) {
    ActiveMarketDataWalSegment seg;
    seg.metadata = metadata;
    fs::Result<fs::File> f = fs::File::open_append(metadata.path);
    if (!f) {
        return Unexpected(WalIoError::os(f.error()));
    }
    seg.file = std::move(*f);
    return seg;
}

WalResult<std::unique_ptr<SegmentedMarketDataWal>> SegmentedMarketDataWal::open(
    SegmentedMarketDataWalConfig config) {
    if (config.segment_byte_target < kMinSegmentByteTarget) {
        return Unexpected(WalIoError::invalid_input("segment byte target is too small"));
    }
    if (config.max_payload_bytes == 0) {
        return Unexpected(WalIoError::invalid_input("maximum market-data WAL payload is zero"));
    }
    if (config.sync_policy.mode == MarketDataWalSyncPolicy::Mode::EveryNRecords &&
        config.sync_policy.every_n == 0) {
        return Unexpected(
            WalIoError::invalid_input("market-data WAL sync record interval is zero"));
    }
    if (fs::Status made = fs::create_dir_all(config.segment_root); !made) {
        return Unexpected(WalIoError::os(made.error()));
    }
    WalResult<MarketDataWalRootReport> report = inspect_segment_root(config.segment_root);
    if (!report) {
        return Unexpected(report.error());
    }
    if (!report->clean) {
        return Unexpected(
            WalIoError::invalid_data("segmented market-data WAL failed integrity validation"));
    }
    if (report->last_sequence && *report->last_sequence == kMaxU64) {
        return Unexpected(sequence_exhausted());
    }
    const std::uint64_t next = report->last_sequence ? *report->last_sequence + 1 : 1;
    std::vector<MarketDataWalSegmentMetadata> segments = std::move(report->segments);
    const std::uint32_t chain = segments.empty() ? 0 : segments.back().last_checksum;

    const auto start_segment = [&]() -> WalResult<ActiveMarketDataWalSegment> {
        if (segments.empty()) {
            return create_active_segment(config.segment_root, 1, chain);
        }
        if (!segments.back().sealed) {
            return open_active_segment(segments.back());
        }
        if (segments.back().id == kMaxU64) {
            return Unexpected(segment_ids_exhausted());
        }
        return create_active_segment(config.segment_root, segments.back().id + 1, chain);
    };
    const bool continues = !segments.empty() && !segments.back().sealed;
    WalResult<ActiveMarketDataWalSegment> active = start_segment();
    if (!active) {
        return Unexpected(active.error());
    }
    if (!continues) {
        segments.push_back(active->metadata);
    }
    const std::uint64_t written = report->last_sequence.value_or(0);
    std::unique_ptr<SegmentedMarketDataWal> wal(new SegmentedMarketDataWal(
        std::move(config), std::move(segments), std::move(*active), next, chain, written));
    if (WalStatus m = wal->rewrite_manifest(); !m) {
        return Unexpected(m.error());
    }
    return wal;
}

SegmentedMarketDataWal::SegmentedMarketDataWal(SegmentedMarketDataWalConfig config,
                                               std::vector<MarketDataWalSegmentMetadata> segments,
                                               ActiveMarketDataWalSegment active,
                                               std::uint64_t next_sequence, std::uint32_t chain,
                                               std::uint64_t written_sequence)
    : config_(std::move(config)),
      segments_(std::move(segments)),
      active_(std::move(active)),
      next_sequence_(next_sequence),
      chain_(chain),
      written_sequence_(written_sequence) {
    const std::uint64_t frame_cap =
        config_.max_payload_bytes + kMarketDataWalHeaderBytes < kFrameBufferCap
            ? config_.max_payload_bytes + kMarketDataWalHeaderBytes
            : kFrameBufferCap;
    buffer_.reserve(static_cast<std::size_t>(frame_cap + config_.write_buffer_bytes));
    remember_written_state();
}

SegmentedMarketDataWal::~SegmentedMarketDataWal() {
    (void)write_buffered();
}

void SegmentedMarketDataWal::remember_written_state() {
    written_.next_sequence = next_sequence_;
    written_.chain = chain_;
    written_.active = active_.metadata;
    written_.appended_frames = counters_.appended_frames;
    written_.appended_bytes = counters_.appended_bytes;
    written_.unsynced_frames = counters_.unsynced_frames;
}

WalStatus SegmentedMarketDataWal::write_buffered() {
    if (fault_) {
        return Unexpected(*fault_);
    }
    if (buffer_.empty()) {
        return {};
    }
    const std::uint64_t offset = written_.active.bytes;
    const std::size_t size = buffer_.size();
    fs::Status w = active_.file.write_all(buffer_.data(), size);
    buffer_.clear();
    if (w && config_.sync_policy.mode == MarketDataWalSyncPolicy::Mode::OnSeal) {
        // Start writing these pages back now, without waiting, so the fdatasync at the seal
        // finds little left to do. Durability still comes only from that sync; a failure here
        // shows up there.
        (void)::sync_file_range(active_.file.fd(), static_cast<off_t>(offset),
                                static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
    }
    if (!w) {
        bump(counters_.write_failures);
        next_sequence_ = written_.next_sequence;
        chain_ = written_.chain;
        active_.metadata = written_.active;
        counters_.appended_frames = written_.appended_frames;
        counters_.appended_bytes = written_.appended_bytes;
        counters_.unsynced_frames = written_.unsynced_frames;
        refresh_active_manifest_row();
        fault_ = WalIoError::os(w.error());
        return Unexpected(*fault_);
    }
    written_sequence_ = next_sequence_ - 1;
    remember_written_state();
    return {};
}

WalStatus SegmentedMarketDataWal::sync_file() {
    if (fs::Status s = active_.file.sync_data(); !s) {
        bump(counters_.sync_failures);
        return Unexpected(WalIoError::os(s.error()));
    }
    bump(counters_.syncs);
    counters_.unsynced_frames = 0;
    written_.unsynced_frames = 0;
    synced_sequence_ = written_sequence_;
    return {};
}

WalStatus SegmentedMarketDataWal::sync() {
    if (WalStatus w = write_buffered(); !w) {
        return w;
    }
    return sync_file();
}

WalStatus SegmentedMarketDataWal::rewrite_manifest() {
    WalStatus m = write_manifest(config_, segments_, next_sequence_, chain_);
    if (m) {
        bump(counters_.manifest_writes);
    } else {
        bump(counters_.manifest_failures);
    }
    return m;
}

void SegmentedMarketDataWal::refresh_active_manifest_row() {
    if (segments_.empty()) {
        return;
    }
    // Field by field: the path never changes for a segment, and copying it for every frame
    // would cost a string copy per append.
    MarketDataWalSegmentMetadata& row = segments_.back();
    const MarketDataWalSegmentMetadata& m = active_.metadata;
    if (row.path != m.path) {
        row.path = m.path;
    }
    row.first_sequence = m.first_sequence;
    row.last_sequence = m.last_sequence;
    row.id = m.id;
    row.bytes = m.bytes;
    row.frames = m.frames;
    row.last_checksum = m.last_checksum;
    row.sealed = m.sealed;
}

WalResult<std::uint64_t> SegmentedMarketDataWal::append_record(
    std::uint16_t kind, std::uint64_t source_sequence_1, std::uint64_t source_sequence_2,
    std::uint64_t ts_exchange_ns, std::uint64_t ts_recv_ns, std::span<const std::uint8_t> payload) {
    if (kind == kMarketDataWalKindSegmentSeal) {
        return Unexpected(
            WalIoError::invalid_input("use seal_active_segment to append a segment seal"));
    }
    if (payload.size() > config_.max_payload_bytes) {
        return Unexpected(
            WalIoError::invalid_input("market-data WAL payload exceeds configured maximum"));
    }
    if (active_.metadata.sealed) {
        if (WalStatus r = rotate_to_new_segment(); !r) {
            return Unexpected(r.error());
        }
    }
    if (active_.metadata.frames > 0) {
        std::uint64_t needed = sat_add(active_.metadata.bytes, kMarketDataWalHeaderBytes);
        needed = sat_add(needed, static_cast<std::uint64_t>(payload.size()));
        needed = sat_add(needed, kMarketDataWalHeaderBytes);
        if (needed > config_.segment_byte_target) {
            if (WalStatus s = seal_active_segment(); !s) {
                return Unexpected(s.error());
            }
            if (WalStatus r = rotate_to_new_segment(); !r) {
                return Unexpected(r.error());
            }
        }
    }
    return append_frame(kind, source_sequence_1, source_sequence_2, ts_exchange_ns, ts_recv_ns,
                        payload);
}

WalResult<std::uint64_t> SegmentedMarketDataWal::append_frame(
    std::uint16_t kind, std::uint64_t source_sequence_1, std::uint64_t source_sequence_2,
    std::uint64_t ts_exchange_ns, std::uint64_t ts_recv_ns, std::span<const std::uint8_t> payload) {
    if (next_sequence_ == kMaxU64) {
        return Unexpected(sequence_exhausted());
    }
    if (fault_) {
        return Unexpected(*fault_);
    }
    const std::uint64_t seq = next_sequence_;
    const MarketDataWalFrameHeader header{
        kind, seq, source_sequence_1, source_sequence_2, ts_exchange_ns, ts_recv_ns, chain_};
    WalResult<std::uint32_t> checksum = append_market_data_wal_frame(buffer_, payload, header);
    if (!checksum) {
        return Unexpected(checksum.error());
    }
    const std::uint64_t frame_bytes = kMarketDataWalHeaderBytes + payload.size();

    MarketDataWalSegmentMetadata& m = active_.metadata;
    bump(m.bytes, frame_bytes);
    bump(m.frames);
    if (!m.first_sequence) {
        m.first_sequence = seq;
    }
    m.last_sequence = seq;
    m.last_checksum = *checksum;
    m.sealed = kind == kMarketDataWalKindSegmentSeal;
    next_sequence_ = seq + 1;
    chain_ = *checksum;
    bump(counters_.appended_frames);
    bump(counters_.appended_bytes, frame_bytes);
    bump(counters_.unsynced_frames);
    refresh_active_manifest_row();

    if (buffer_.size() >= config_.write_buffer_bytes) {
        if (WalStatus w = write_buffered(); !w) {
            return Unexpected(w.error());
        }
    }
    const MarketDataWalSyncPolicy& policy = config_.sync_policy;
    const bool due = policy.mode == MarketDataWalSyncPolicy::Mode::EveryRecord ||
                     (policy.mode == MarketDataWalSyncPolicy::Mode::EveryNRecords &&
                      counters_.unsynced_frames >= policy.every_n);
    if (due) {
        if (WalStatus s = sync(); !s) {
            return Unexpected(s.error());
        }
    }
    return seq;
}

WalStatus SegmentedMarketDataWal::seal_active_segment() {
    if (active_.metadata.sealed) {
        return {};
    }
    WalResult<std::uint64_t> seal =
        append_frame(kMarketDataWalKindSegmentSeal, 0, 0, 0, 0, std::span<const std::uint8_t>());
    if (!seal) {
        return Unexpected(seal.error());
    }
    if (WalStatus w = write_buffered(); !w) {
        return w;
    }
    bump(counters_.seals);
    if (config_.sync_policy.mode == MarketDataWalSyncPolicy::Mode::OnSeal) {
        if (WalStatus s = sync_file(); !s) {
            return s;
        }
    }
    return rewrite_manifest();
}

WalStatus SegmentedMarketDataWal::rotate_to_new_segment() {
    if (active_.metadata.id == kMaxU64) {
        return Unexpected(segment_ids_exhausted());
    }
    if (WalStatus w = write_buffered(); !w) {
        return w;
    }
    WalResult<ActiveMarketDataWalSegment> next =
        create_active_segment(config_.segment_root, active_.metadata.id + 1, chain_);
    if (!next) {
        return Unexpected(next.error());
    }
    (void)active_.file.close();
    active_ = std::move(*next);
    segments_.push_back(active_.metadata);
    bump(counters_.rotations);
    remember_written_state();
    return rewrite_manifest();
}

}  // namespace qx::persist
