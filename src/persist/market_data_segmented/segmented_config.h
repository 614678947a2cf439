// Configuration of the segmented market-data write-ahead log.
#pragma once

#include <cstdint>
#include <string>

namespace qx::persist {

// When the log itself flushes the active segment file to stable storage (fdatasync).
struct MarketDataWalSyncPolicy {
    enum class Mode : std::uint8_t {
        Never,          // only explicit syncs by the writer
        EveryRecord,    // after every frame
        EveryNRecords,  // once `every_n` frames were written since the last sync
        OnSeal,         // after a segment's seal frame
    };
    Mode mode = Mode::OnSeal;
    std::uint64_t every_n = 0;  // EveryNRecords only; must not be 0

    static MarketDataWalSyncPolicy never() noexcept { return {Mode::Never, 0}; }
    static MarketDataWalSyncPolicy every_record() noexcept { return {Mode::EveryRecord, 0}; }
    static MarketDataWalSyncPolicy every_n_records(std::uint64_t n) noexcept {
        return {Mode::EveryNRecords, n};
    }
    static MarketDataWalSyncPolicy on_seal() noexcept { return {Mode::OnSeal, 0}; }

    friend bool operator==(const MarketDataWalSyncPolicy&,
                           const MarketDataWalSyncPolicy&) = default;
};

inline constexpr std::uint64_t kMinSegmentByteTarget = 128;
// Frames are gathered in memory up to this many bytes and written with one system call; see
// SegmentedMarketDataWal.
inline constexpr std::uint64_t kDefaultWalWriteBufferBytes = 256 * 1024;

struct SegmentedMarketDataWalConfig {
    std::string segment_root;                       // directory of segments and manifest
    std::uint64_t segment_byte_target = 268435456;  // at least 128
    std::uint64_t max_payload_bytes = 8388608;      // not 0
    MarketDataWalSyncPolicy sync_policy;
    bool sync_manifest = false;  // fdatasync the manifest before renaming
    // Bytes of frames gathered before they are written out; 0 writes every frame at once.
    std::uint64_t write_buffer_bytes = kDefaultWalWriteBufferBytes;
};

}  // namespace qx::persist
