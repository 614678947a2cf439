// Reading a market-data write-ahead log back: every segment of a root is scanned in order and
// its data frames are decoded into normalized records, for replay tools and checks. The log is
// read as it stands; damage is reported, not repaired.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "persist/market_data_segmented/segment_root.h"
#include "persist/normalized_codec/codec_error.h"
#include "persist/normalized_codec/normalized_record.h"
#include "persist/wal_io_error.h"

namespace qx::persist {

struct MarketDataWalReadSummary {
    MarketDataWalRootReport report;  // the inspection of the root (clean, gaps, torn tail, ...)
    std::uint64_t records = 0;       // data frames decoded and handed over
    std::uint64_t undecodable = 0;   // data frames whose payload is not a valid QXNE record
};

// Hands every decodable data frame of `root` to `on_record` in log order, with its WAL
// sequence; seal frames are skipped and frames that do not decode are counted. Segments are read
// one at a time, so memory follows the largest segment, not the log. Inspection and scan errors
// are returned; a missing root reads as empty.
WalResult<MarketDataWalReadSummary> read_normalized_market_data_wal(
    const std::string& root,
    const std::function<void(std::uint64_t wal_sequence, NormalizedMarketDataRecord&&)>& on_record);

}  // namespace qx::persist
