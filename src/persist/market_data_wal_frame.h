// The market-data write-ahead-log frame (magic QXMW, version 1): a 64-byte little-endian header
// followed by an opaque payload, chained to the frame written before it by checksum.
//
//   0 magic "QXMW" | 4 version u16 | 6 kind u16 | 8 WAL sequence u64 |
//   16 source_sequence_1 u64 | 24 source_sequence_2 u64 | 32 ts_exchange_ns u64 |
//   40 ts_recv_ns u64 | 48 payload length u32 | 52 checksum u32 | 56 previous_checksum u32 |
//   60 reserved u32 (written 0, covered by the checksum, otherwise unchecked) | 64 payload
//
// The checksum is FNV-1a 32 over every byte of the frame with bytes 52..55 taken as zeros.
// `previous_checksum` is the checksum field of the frame written before this one (0 before the
// first frame of a log).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "persist/wal_io_error.h"

namespace qx::persist {

inline constexpr std::size_t kMarketDataWalHeaderBytes = 64;
inline constexpr std::uint16_t kMarketDataWalVersion = 1;
inline constexpr std::uint64_t kMaxMarketDataWalPayloadBytes = 0xFFFFFFFFull;

// Frame kinds. Kinds 1 and 2 carry a normalized record; 5 seals a segment file. Readers accept
// every kind from 1 to 12 (the others are reserved and never written).
inline constexpr std::uint16_t kMarketDataWalKindBookUpdate = 1;
inline constexpr std::uint16_t kMarketDataWalKindTrade = 2;
inline constexpr std::uint16_t kMarketDataWalKindSegmentSeal = 5;
inline constexpr std::uint16_t kMaxMarketDataWalKind = 12;

constexpr bool is_valid_market_data_wal_kind(std::uint16_t kind) noexcept {
    return kind >= 1 && kind <= kMaxMarketDataWalKind;
}

// Every header field a writer chooses; the payload length and the checksum follow from them.
struct MarketDataWalFrameHeader {
    std::uint16_t kind = 0;
    std::uint64_t wal_sequence = 0;
    std::uint64_t source_sequence_1 = 0;
    std::uint64_t source_sequence_2 = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
    std::uint32_t previous_checksum = 0;
};

// A header as stored, decoded field by field without judging it.
struct StoredMarketDataWalHeader {
    bool magic_ok = false;
    std::uint16_t version = 0;
    MarketDataWalFrameHeader fields;
    std::uint32_t payload_length = 0;
    std::uint32_t checksum = 0;
    std::uint32_t reserved = 0;
};

// One frame as read back.
struct MarketDataWalRecord {
    std::vector<std::uint8_t> payload;
    std::uint64_t wal_sequence = 0;
    std::uint64_t source_sequence_1 = 0;
    std::uint64_t source_sequence_2 = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
    std::uint16_t kind = 0;

    friend bool operator==(const MarketDataWalRecord&, const MarketDataWalRecord&) = default;
};

// Replaces the contents of `out` with the complete frame, checksum included. A payload longer
// than 4294967295 bytes fails with the invalid-input error "market-data WAL payload is too
// large".
WalStatus encode_market_data_wal_frame_into(std::vector<std::uint8_t>& out,
                                            std::span<const std::uint8_t> payload,
                                            const MarketDataWalFrameHeader& header);

// Appends the complete frame to the end of `out`, keeping what is already there, and returns
// the frame's checksum. Fails like encode_market_data_wal_frame_into, leaving `out` untouched.
WalResult<std::uint32_t> append_market_data_wal_frame(std::vector<std::uint8_t>& out,
                                                      std::span<const std::uint8_t> payload,
                                                      const MarketDataWalFrameHeader& header);

StoredMarketDataWalHeader decode_market_data_wal_header(const std::uint8_t* header) noexcept;

// FNV-1a 32 over the 64 header bytes with the checksum field taken as zeros: the state to extend
// over the payload to get a frame's checksum.
std::uint32_t market_data_wal_header_hash(const std::uint8_t* header) noexcept;

// The checksum of a complete frame in memory (header and payload).
std::uint32_t market_data_wal_frame_checksum(std::span<const std::uint8_t> frame) noexcept;

}  // namespace qx::persist
