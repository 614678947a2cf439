#include "persist/market_data_wal_frame.h"

#include <cstring>

#include "support/fnv.h"
#include "support/little_endian.h"

namespace qx::persist {
namespace {

constexpr std::size_t kChecksumOffset = 52;

void put_header(std::uint8_t* h, const MarketDataWalFrameHeader& f, std::uint32_t payload_len) {
    std::memcpy(h, "QXMW", 4);
    le::put<std::uint16_t>(h + 4, kMarketDataWalVersion);
    le::put<std::uint16_t>(h + 6, f.kind);
    le::put<std::uint64_t>(h + 8, f.wal_sequence);
    le::put<std::uint64_t>(h + 16, f.source_sequence_1);
    le::put<std::uint64_t>(h + 24, f.source_sequence_2);
    le::put<std::uint64_t>(h + 32, f.ts_exchange_ns);
    le::put<std::uint64_t>(h + 40, f.ts_recv_ns);
    le::put<std::uint32_t>(h + 48, payload_len);
    le::put<std::uint32_t>(h + kChecksumOffset, 0);
    le::put<std::uint32_t>(h + 56, f.previous_checksum);
    le::put<std::uint32_t>(h + 60, 0);
}

}  // namespace

WalResult<std::uint32_t> append_market_data_wal_frame(std::vector<std::uint8_t>& out,
                                                      std::span<const std::uint8_t> payload,
                                                      const MarketDataWalFrameHeader& header) {
    if (payload.size() > kMaxMarketDataWalPayloadBytes) {
        return Unexpected(WalIoError::invalid_input("market-data WAL payload is too large"));
    }
    const std::size_t start = out.size();
    out.resize(start + kMarketDataWalHeaderBytes + payload.size());
    std::uint8_t* frame = out.data() + start;
    put_header(frame, header, static_cast<std::uint32_t>(payload.size()));
    if (!payload.empty()) {
        std::memcpy(frame + kMarketDataWalHeaderBytes, payload.data(), payload.size());
    }
    // The checksum field is still zero here, so hashing the frame as it stands is the rule.
    const std::uint32_t checksum = fnv1a32(frame, kMarketDataWalHeaderBytes + payload.size());
    le::put<std::uint32_t>(frame + kChecksumOffset, checksum);
    return checksum;
}

WalStatus encode_market_data_wal_frame_into(std::vector<std::uint8_t>& out,
                                            std::span<const std::uint8_t> payload,
                                            const MarketDataWalFrameHeader& header) {
    if (payload.size() > kMaxMarketDataWalPayloadBytes) {
        return Unexpected(WalIoError::invalid_input("market-data WAL payload is too large"));
    }
    out.clear();
    out.reserve(kMarketDataWalHeaderBytes + payload.size());
    WalResult<std::uint32_t> r = append_market_data_wal_frame(out, payload, header);
    if (!r) {
        return Unexpected(r.error());
    }
    return {};
}

StoredMarketDataWalHeader decode_market_data_wal_header(const std::uint8_t* h) noexcept {
    StoredMarketDataWalHeader s;
    s.magic_ok = std::memcmp(h, "QXMW", 4) == 0;
    s.version = le::get<std::uint16_t>(h + 4);
    s.fields.kind = le::get<std::uint16_t>(h + 6);
    s.fields.wal_sequence = le::get<std::uint64_t>(h + 8);
    s.fields.source_sequence_1 = le::get<std::uint64_t>(h + 16);
    s.fields.source_sequence_2 = le::get<std::uint64_t>(h + 24);
    s.fields.ts_exchange_ns = le::get<std::uint64_t>(h + 32);
    s.fields.ts_recv_ns = le::get<std::uint64_t>(h + 40);
    s.payload_length = le::get<std::uint32_t>(h + 48);
    s.checksum = le::get<std::uint32_t>(h + kChecksumOffset);
    s.fields.previous_checksum = le::get<std::uint32_t>(h + 56);
    s.reserved = le::get<std::uint32_t>(h + 60);
    return s;
}

std::uint32_t market_data_wal_header_hash(const std::uint8_t* header) noexcept {
    std::uint32_t h = fnv1a32(header, kChecksumOffset);
    h = fnv1a32_extend_zeros(h, 4);
    return fnv1a32_extend(h, header + kChecksumOffset + 4,
                          kMarketDataWalHeaderBytes - kChecksumOffset - 4);
}

std::uint32_t market_data_wal_frame_checksum(std::span<const std::uint8_t> frame) noexcept {
    if (frame.size() < kMarketDataWalHeaderBytes) {
        return 0;
    }
    const std::uint32_t h = market_data_wal_header_hash(frame.data());
    return fnv1a32_extend(h, frame.data() + kMarketDataWalHeaderBytes,
                          frame.size() - kMarketDataWalHeaderBytes);
}

}  // namespace qx::persist
