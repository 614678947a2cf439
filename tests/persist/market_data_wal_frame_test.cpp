// The QXMW frame: header layout, the checksum rule, and the payload-size limit.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <vector>

#include "persist/market_data_wal_frame.h"
#include "support/fnv.h"
#include "support/little_endian.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

MarketDataWalFrameHeader header(std::uint64_t seq, std::uint32_t prev) {
    MarketDataWalFrameHeader h;
    h.kind = kMarketDataWalKindBookUpdate;
    h.wal_sequence = seq;
    h.source_sequence_1 = 11;
    h.source_sequence_2 = 12;
    h.ts_exchange_ns = 13;
    h.ts_recv_ns = 14;
    h.previous_checksum = prev;
    return h;
}

TEST(MarketDataWalFrame, LayoutAndChecksumRule) {
    const std::vector<std::uint8_t> payload = testing::bytes_of("hello");
    std::vector<std::uint8_t> frame = {7, 7, 7};
    ASSERT_TRUE(encode_market_data_wal_frame_into(frame, payload, header(9, 0xABCD)));
    ASSERT_EQ(frame.size(), 69u) << "contents are replaced, not appended to";
    const std::uint8_t* p = frame.data();
    EXPECT_EQ(std::string(p, p + 4), "QXMW");
    EXPECT_EQ(le::get<std::uint16_t>(p + 4), 1u);
    EXPECT_EQ(le::get<std::uint16_t>(p + 6), 1u);
    EXPECT_EQ(le::get<std::uint64_t>(p + 8), 9u);
    EXPECT_EQ(le::get<std::uint64_t>(p + 16), 11u);
    EXPECT_EQ(le::get<std::uint64_t>(p + 24), 12u);
    EXPECT_EQ(le::get<std::uint64_t>(p + 32), 13u);
    EXPECT_EQ(le::get<std::uint64_t>(p + 40), 14u);
    EXPECT_EQ(le::get<std::uint32_t>(p + 48), 5u);
    EXPECT_EQ(le::get<std::uint32_t>(p + 56), 0xABCDu);
    EXPECT_EQ(le::get<std::uint32_t>(p + 60), 0u);
    EXPECT_EQ(std::string(p + 64, p + 69), "hello");

    // FNV-1a over the frame with the checksum bytes as zeros (they still take part).
    std::vector<std::uint8_t> zeroed = frame;
    le::put<std::uint32_t>(zeroed.data() + 52, 0);
    EXPECT_EQ(le::get<std::uint32_t>(p + 52), fnv1a32(zeroed.data(), zeroed.size()));
    EXPECT_EQ(market_data_wal_frame_checksum(frame), le::get<std::uint32_t>(p + 52));
    EXPECT_EQ(fnv1a32("a"), 0xE40C292Cu) << "FNV-1a 32 reference value";
    EXPECT_EQ(fnv1a64("a"), 0xAF63DC4C8601EC8Cull) << "FNV-1a 64 reference value";
}

TEST(MarketDataWalFrame, SealFrameChecksumFollowsSequenceAndChain) {
    MarketDataWalFrameHeader seal;
    seal.kind = kMarketDataWalKindSegmentSeal;
    seal.wal_sequence = 1;
    std::vector<std::uint8_t> a, b, c;
    ASSERT_TRUE(encode_market_data_wal_frame_into(a, {}, seal));
    EXPECT_EQ(a.size(), 64u);
    seal.wal_sequence = 2;
    ASSERT_TRUE(encode_market_data_wal_frame_into(b, {}, seal));
    seal.previous_checksum = 1;
    ASSERT_TRUE(encode_market_data_wal_frame_into(c, {}, seal));
    const auto sum = [](const std::vector<std::uint8_t>& f) {
        return le::get<std::uint32_t>(f.data() + 52);
    };
    EXPECT_NE(sum(a), sum(b));
    EXPECT_NE(sum(b), sum(c));
}

TEST(MarketDataWalFrame, AppendKeepsEarlierFramesAndRefusesHugePayloads) {
    std::vector<std::uint8_t> out;
    WalResult<std::uint32_t> first = append_market_data_wal_frame(out, {}, header(1, 0));
    ASSERT_TRUE(first);
    WalResult<std::uint32_t> second = append_market_data_wal_frame(out, {}, header(2, *first));
    ASSERT_TRUE(second);
    EXPECT_EQ(out.size(), 128u);
    EXPECT_EQ(le::get<std::uint32_t>(out.data() + 64 + 56), *first);

    // A readable region one byte over the 32-bit length, reserved but never touched.
    const std::size_t huge = 0x100000000ull;
    void* region =
        ::mmap(nullptr, huge, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(region, MAP_FAILED);
    const std::span<const std::uint8_t> payload(static_cast<const std::uint8_t*>(region), huge);
    const std::vector<std::uint8_t> before = out;
    WalStatus r = encode_market_data_wal_frame_into(out, payload, header(3, 0));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), WalIoError::invalid_input("market-data WAL payload is too large"));
    EXPECT_FALSE(append_market_data_wal_frame(out, payload, header(3, 0)));
    EXPECT_EQ(out, before);
    ::munmap(region, huge);
}

}  // namespace
}  // namespace qx::persist
