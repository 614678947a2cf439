// What the log knows about one segment file, and the segment file names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "persist/wal_io_error.h"

namespace qx::persist {

// Segment numbers start at 1; each new segment takes the previous number + 1.
using MarketDataWalSegmentId = std::uint64_t;

struct MarketDataWalSegmentMetadata {
    std::optional<std::uint64_t> first_sequence;  // absent while the segment is empty
    std::optional<std::uint64_t> last_sequence;
    std::string path;
    MarketDataWalSegmentId id = 0;
    std::uint64_t bytes = 0;   // total bytes of complete frames
    std::uint64_t frames = 0;  // number of complete frames
    // Checksum field of the last frame; for an empty segment, the chain value it was created
    // with.
    std::uint32_t last_checksum = 0;
    bool sealed = false;  // the last frame is a seal frame

    friend bool operator==(const MarketDataWalSegmentMetadata&,
                           const MarketDataWalSegmentMetadata&) = default;
};

inline constexpr std::string_view kSegmentFilePrefix = "segment-";
inline constexpr std::string_view kSegmentFileSuffix = ".qxmw";
inline constexpr std::string_view kManifestFileName = "manifest.qxmm";

// "segment-" + the id zero-padded to 20 decimal digits + ".qxmw".
std::string segment_file_name(MarketDataWalSegmentId id);

// True for names the log treats as segment files: "segment-" prefix, ".qxmw" suffix, longer
// than 12 characters.
bool looks_like_segment_file_name(std::string_view name) noexcept;

// The id in a segment file name that looks like one: the text between prefix and suffix must
// be decimal digits (an optional leading '+' allowed, any number of digits) fitting 64 bits
// ("invalid market-data WAL segment filename") and not 0 ("market-data WAL segment id is
// zero"); both are invalid-data errors.
WalResult<MarketDataWalSegmentId> parse_segment_file_name(std::string_view name);

}  // namespace qx::persist
