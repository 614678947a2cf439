#include "persist/market_data_wal_reader.h"

#include <utility>
#include <vector>

#include "persist/market_data_wal_frame.h"
#include "persist/market_data_wal_scan.h"
#include "persist/normalized_codec/normalized_decoder.h"

namespace qx::persist {

WalResult<MarketDataWalReadSummary> read_normalized_market_data_wal(
    const std::string& root,
    const std::function<void(std::uint64_t wal_sequence, NormalizedMarketDataRecord&&)>&
        on_record) {
    WalResult<MarketDataWalRootReport> report = inspect_segment_root(root);
    if (!report) {
        return Unexpected(report.error());
    }
    MarketDataWalReadSummary summary;
    summary.report = std::move(*report);
    std::vector<MarketDataWalRecord> frames;
    std::uint64_t next = 1;
    std::uint32_t chain = 0;
    for (const MarketDataWalSegmentMetadata& segment : summary.report.segments) {
        frames.clear();
        MarketDataWalFilter all;
        all.records = &frames;
        WalResult<MarketDataWalScanSummary> scan =
            scan_market_data_wal_into_from(segment.path, next, chain, &all);
        if (!scan) {
            return Unexpected(scan.error());
        }
        if (scan->last_sequence) {
            next = *scan->last_sequence + 1;
            chain = scan->last_checksum;
        }
        for (const MarketDataWalRecord& frame : frames) {
            if (frame.kind == kMarketDataWalKindSegmentSeal) {
                continue;
            }
            NormalizedDecodeResult decoded = decode_normalized_wal_record(frame);
            if (!decoded) {
                ++summary.undecodable;
                continue;
            }
            ++summary.records;
            on_record(frame.wal_sequence, std::move(*decoded));
        }
    }
    return summary;
}

}  // namespace qx::persist
