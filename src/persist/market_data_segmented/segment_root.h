// Inspecting a segment root: every segment file is read back and verified, and the segments are
// checked to form one unbroken log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persist/market_data_segmented/segment_metadata.h"
#include "persist/wal_io_error.h"

namespace qx::persist {

struct MarketDataWalRootReport {
    std::optional<std::uint64_t> last_sequence;          // last complete frame over all segments
    std::vector<MarketDataWalSegmentMetadata> segments;  // in id order
    std::uint64_t frames = 0;
    std::uint64_t bytes = 0;
    std::uint64_t integrity_failures = 0;
    // The segments' own gaps plus one for each break between segments: a first id other than
    // 1, an id other than its predecessor's + 1, an unsealed predecessor.
    std::uint64_t sequence_gaps = 0;
    bool clean = true;
    bool truncated_tail = false;  // some segment ends inside a frame
};

// Inspects the segment files of `root`. A root that does not exist gives an empty, clean
// report. Only regular files (not links) named like segments are considered; a bad number in
// such a name, a zero id or two files with one id fail with an invalid-data error, and so does
// a frame kind outside 1..12. Listing and reading failures are returned.
WalResult<MarketDataWalRootReport> inspect_segment_root(const std::string& root);

}  // namespace qx::persist
