// SegmentedMarketDataWal: the on-disk market-data write-ahead log. A segment root holds numbered
// segment files of QXMW frames and the manifest. One segment, the active one, takes new frames;
// it grows until the next frame plus a closing seal frame would pass the byte target, is then
// sealed with a kind-5 frame, and a new segment starts. One WAL sequence space and one checksum
// chain run across all segments. Opening a root verifies every segment and refuses to continue
// a log that is not perfectly clean; nothing is ever repaired.
//
// Frames are gathered in a buffer of `write_buffer_bytes` and written with one system call when
// it fills, and always before a sync, a seal, a rotation, and when the log is released. The
// sequence returned by an append is final; written_sequence() tells how far the file holds the
// frames, synced_sequence() how far a successful fdatasync covers them. A write that fails
// drops every frame still in the buffer, puts the in-memory state back to the last written
// frame, and leaves the log refusing further writes with that error, because the file may now
// end inside a frame. With `write_buffer_bytes` 0 every frame is written by its own append.
//
// Not thread-safe: one owner (the background writer) calls it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "persist/market_data_segmented/segment_metadata.h"
#include "persist/market_data_segmented/segmented_config.h"
#include "persist/wal_io_error.h"
#include "support/fs.h"

namespace qx::persist {

// Every counter saturates.
struct SegmentedMarketDataWalCounters {
    std::uint64_t appended_frames = 0;
    std::uint64_t appended_bytes = 0;
    std::uint64_t syncs = 0;
    std::uint64_t write_failures = 0;
    std::uint64_t sync_failures = 0;
    std::uint64_t rotations = 0;
    std::uint64_t seals = 0;
    std::uint64_t manifest_writes = 0;
    std::uint64_t manifest_failures = 0;
    std::uint64_t unsynced_frames = 0;  // frames appended since the last successful sync
};

// The segment taking appends: its metadata and its open file.
struct ActiveMarketDataWalSegment {
    MarketDataWalSegmentMetadata metadata;
    fs::File file;
};

// Creates segment `id` in `root` (the file must not exist yet) as an empty segment whose chain
// value is `chain_value`.
WalResult<ActiveMarketDataWalSegment> create_active_segment(const std::string& root,
                                                            MarketDataWalSegmentId id,
                                                            std::uint32_t chain_value);

// Reopens an existing segment for appending.
WalResult<ActiveMarketDataWalSegment> open_active_segment(
    const MarketDataWalSegmentMetadata& metadata);

class SegmentedMarketDataWal {
  public:
    // Validates the configuration ("segment byte target is too small", "maximum market-data WAL
    // payload is zero", "market-data WAL sync record interval is zero"), creates the root,
    // inspects it (an unclean report fails with "segmented market-data WAL failed integrity
    // validation"), then continues the last segment, or starts segment 1 or the one after a
    // sealed last segment, and writes the manifest.
    static WalResult<std::unique_ptr<SegmentedMarketDataWal>> open(
        SegmentedMarketDataWalConfig config);

    // Gathered frames are written out; the segment is neither sealed nor synced and the
    // manifest is not rewritten, so the next open continues the segment.
    ~SegmentedMarketDataWal();
    SegmentedMarketDataWal(const SegmentedMarketDataWal&) = delete;
    SegmentedMarketDataWal& operator=(const SegmentedMarketDataWal&) = delete;

    // Appends one data frame, sealing and rotating first when the active segment is sealed or
    // the frame and a seal frame would not fit under the byte target (an empty segment takes any
    // frame). Returns the frame's WAL sequence.
    WalResult<std::uint64_t> append_record(std::uint16_t kind, std::uint64_t source_sequence_1,
                                           std::uint64_t source_sequence_2,
                                           std::uint64_t ts_exchange_ns, std::uint64_t ts_recv_ns,
                                           std::span<const std::uint8_t> payload);

    // Appends one frame to the active segment without the rotation checks, then syncs as the
    // policy asks. A failed sync is returned although the frame is appended.
    WalResult<std::uint64_t> append_frame(std::uint16_t kind, std::uint64_t source_sequence_1,
                                          std::uint64_t source_sequence_2,
                                          std::uint64_t ts_exchange_ns, std::uint64_t ts_recv_ns,
                                          std::span<const std::uint8_t> payload);

    // Closes the active segment with a seal frame (nothing when already sealed), writes it out,
    // syncs under OnSeal, and rewrites the manifest.
    WalStatus seal_active_segment();

    // Starts segment id + 1 with the current chain value (create-new: an existing file is an
    // error), makes it active and rewrites the manifest.
    WalStatus rotate_to_new_segment();

    // Copies the active metadata over the last entry of the segment list.
    void refresh_active_manifest_row();

    // Writes the gathered frames to the active file.
    WalStatus write_buffered();

    // Writes the gathered frames and fdatasyncs the active file, counting a sync or a sync
    // failure; a success resets the unsynced count.
    WalStatus sync();

    const SegmentedMarketDataWalConfig& config() const noexcept { return config_; }
    const std::vector<MarketDataWalSegmentMetadata>& segments() const noexcept { return segments_; }
    const MarketDataWalSegmentMetadata& active_segment() const noexcept { return active_.metadata; }
    std::uint64_t next_sequence() const noexcept { return next_sequence_; }
    std::uint32_t chain_value() const noexcept { return chain_; }
    const SegmentedMarketDataWalCounters& counters() const noexcept { return counters_; }
    // Last WAL sequence the segment files hold (0 when none).
    std::uint64_t written_sequence() const noexcept { return written_sequence_; }
    // Last WAL sequence covered by a successful sync of this log (0 when none).
    std::uint64_t synced_sequence() const noexcept { return synced_sequence_; }
    std::size_t buffered_bytes() const noexcept { return buffer_.size(); }

  private:
    // What a failed write puts back: the state as of the last frame that reached the file.
    struct WrittenState {
        std::uint64_t next_sequence = 1;
        std::uint32_t chain = 0;
        MarketDataWalSegmentMetadata active;
        std::uint64_t appended_frames = 0;
        std::uint64_t appended_bytes = 0;
        std::uint64_t unsynced_frames = 0;
    };

    SegmentedMarketDataWal(SegmentedMarketDataWalConfig config,
                           std::vector<MarketDataWalSegmentMetadata> segments,
                           ActiveMarketDataWalSegment active, std::uint64_t next_sequence,
                           std::uint32_t chain, std::uint64_t written_sequence);

    WalStatus rewrite_manifest();
    WalStatus sync_file();
    void remember_written_state();

    SegmentedMarketDataWalConfig config_;
    std::vector<MarketDataWalSegmentMetadata> segments_;
    ActiveMarketDataWalSegment active_;
    std::uint64_t next_sequence_ = 1;
    std::uint32_t chain_ = 0;
    std::vector<std::uint8_t> buffer_;
    SegmentedMarketDataWalCounters counters_;
    WrittenState written_;
    std::uint64_t written_sequence_ = 0;
    std::uint64_t synced_sequence_ = 0;
    std::optional<WalIoError> fault_;  // set by a failed write; every later write refuses
};

}  // namespace qx::persist
