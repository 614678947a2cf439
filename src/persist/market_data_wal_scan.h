// Walking one market-data write-ahead-log file frame by frame: every frame is checked (magic,
// version, kind, sequence, checksum chain, checksum) and, with a filter, the matching frames are
// collected.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persist/market_data_wal_frame.h"
#include "persist/wal_io_error.h"

namespace qx::persist {

// Inclusive bounds on one header field; an absent bound always holds.
struct MarketDataWalRange {
    std::optional<std::uint64_t> min;
    std::optional<std::uint64_t> max;

    bool contains(std::uint64_t v) const noexcept {
        return (!min || *min <= v) && (!max || v <= *max);
    }
};

// Selects the frames a scan collects, and names the array they are appended to.
struct MarketDataWalFilter {
    MarketDataWalRange wal_sequence;
    MarketDataWalRange source_sequence_1;
    MarketDataWalRange source_sequence_2;
    MarketDataWalRange ts_exchange_ns;
    MarketDataWalRange ts_recv_ns;
    std::uint16_t kind = 0;  // 0 selects every kind
    std::vector<MarketDataWalRecord>* records = nullptr;

    bool matches(const MarketDataWalFrameHeader& h) const noexcept {
        return wal_sequence.contains(h.wal_sequence) &&
               source_sequence_1.contains(h.source_sequence_1) &&
               source_sequence_2.contains(h.source_sequence_2) &&
               ts_exchange_ns.contains(h.ts_exchange_ns) && ts_recv_ns.contains(h.ts_recv_ns) &&
               (kind == 0 || kind == h.kind);
    }
};

struct MarketDataWalScanSummary {
    std::optional<std::uint64_t> last_sequence;  // WAL sequence of the last complete frame
    std::uint64_t frames = 0;                    // complete frames read
    std::uint64_t bytes = 0;                     // their total lengths (64 + payload each)
    std::uint64_t integrity_failures = 0;
    std::uint64_t sequence_gaps = 0;
    bool clean = true;
    bool truncated_tail = false;  // the file ends inside a frame
    // Checksum field of the last complete frame, or the expected previous checksum passed in
    // when no frame was read: the chain value the next frame must carry.
    std::uint32_t last_checksum = 0;
    std::uint16_t last_kind = 0;  // kind of the last complete frame, 0 when none
};

// Scans the file at `path`, whose first frame should carry WAL sequence `expected_sequence` and
// previous checksum `expected_previous_checksum`. A missing file gives an empty, clean summary.
// Bad magic or version stops the scan and counts one integrity failure; sequence gaps, chain
// and checksum mismatches are counted and the scan goes on; a file ending inside a frame sets
// `truncated_tail`. None of these is an error. A frame kind outside 1..12 fails the whole scan
// with the invalid-data error "invalid market-data WAL record kind"; open and read failures are
// returned as operating-system errors.
WalResult<MarketDataWalScanSummary> scan_market_data_wal_into_from(
    const std::string& path, std::uint64_t expected_sequence,
    std::uint32_t expected_previous_checksum, MarketDataWalFilter* filter);

}  // namespace qx::persist
