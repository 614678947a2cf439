// The manifest of a segment root, "manifest.qxmm": a text summary of the log for tools, written
// after every change of the segment list and never read back by the log.
//
//   QXMMS1
//   next=<next sequence>,previous=<chain value>
//   <id>,<first seq or 0>,<last seq or 0>,<frames>,<bytes>,<last checksum>,<sealed 1|0>,<file>
//   ...one line per segment...
//   checksum=<FNV-1a 32 of every byte above, line feeds included>
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "persist/market_data_segmented/segment_metadata.h"
#include "persist/market_data_segmented/segmented_config.h"
#include "persist/wal_io_error.h"

namespace qx::persist {

// The manifest text. A segment path without a file name, or whose file name is not UTF-8,
// fails with the invalid-data error "market-data WAL segment filename is not UTF-8".
WalResult<std::string> format_manifest(const std::vector<MarketDataWalSegmentMetadata>& segments,
                                       std::uint64_t next_sequence, std::uint32_t chain_value);

// Writes the manifest to "manifest.qxmm.tmp" in the root (synced when `sync_manifest` is set)
// and renames it over "manifest.qxmm".
WalStatus write_manifest(const SegmentedMarketDataWalConfig& config,
                         const std::vector<MarketDataWalSegmentMetadata>& segments,
                         std::uint64_t next_sequence, std::uint32_t chain_value);

}  // namespace qx::persist
