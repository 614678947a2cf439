// Data-quality bits attached to every event and kept as the engine's current flags.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

using QualityFlags = std::uint32_t;

inline constexpr QualityFlags kStaleFeed = 1;
inline constexpr QualityFlags kSequenceGap = 2;
inline constexpr QualityFlags kClockSkew = 4;
inline constexpr QualityFlags kDepthTruncated = 8;
inline constexpr QualityFlags kOutOfOrder = 16;
inline constexpr QualityFlags kAdapterDegraded = 32;

// Flags that block a signal: stale feed, sequence gap, out of order, adapter degraded.
inline constexpr QualityFlags kSignalBlockingMask = 0x33;

// JSON array of the names of the known set bits in bit order, e.g. 18 gives
// ["SEQUENCE_GAP","OUT_OF_ORDER"]; [] when none of the six is set.
std::string quality_flags_detail_json(QualityFlags flags);

}  // namespace qx
