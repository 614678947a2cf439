// Scanning a log file: what each kind of damage does to the summary, and collecting frames
// through a filter.
#include <gtest/gtest.h>

#include <vector>

#include "persist/market_data_wal_scan.h"
#include "support/little_endian.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

using testing::chained_frames;
using testing::ScratchDir;
using testing::write_bytes;

constexpr std::size_t kFrame = 64 + 9;  // every chained_frames payload below 10 frames is 9 bytes

MarketDataWalScanSummary scan(const std::string& path, std::uint64_t seq = 1,
                              std::uint32_t prev = 0, MarketDataWalFilter* filter = nullptr) {
    WalResult<MarketDataWalScanSummary> s = scan_market_data_wal_into_from(path, seq, prev, filter);
    EXPECT_TRUE(s) << (s ? "" : s.error().message);
    return s ? *s : MarketDataWalScanSummary{};
}

std::uint32_t stored_checksum(const std::vector<std::uint8_t>& file, std::size_t frame) {
    return le::get<std::uint32_t>(file.data() + frame * kFrame + 52);
}

TEST(MarketDataWalScan, CleanChainAndMissingFile) {
    ScratchDir dir;
    const std::vector<std::uint8_t> file = chained_frames(3);
    write_bytes(dir / "log", file);
    const MarketDataWalScanSummary s = scan(dir / "log");
    EXPECT_TRUE(s.clean);
    EXPECT_FALSE(s.truncated_tail);
    EXPECT_EQ(s.frames, 3u);
    EXPECT_EQ(s.bytes, 3 * kFrame);
    EXPECT_EQ(s.last_sequence, 3u);
    EXPECT_EQ(s.last_kind, kMarketDataWalKindTrade);
    EXPECT_EQ(s.last_checksum, stored_checksum(file, 2));
    EXPECT_EQ(s.integrity_failures + s.sequence_gaps, 0u);

    const MarketDataWalScanSummary missing = scan(dir / "nothing", 1, 77);
    EXPECT_TRUE(missing.clean);
    EXPECT_EQ(missing.frames, 0u);
    EXPECT_FALSE(missing.last_sequence);
    EXPECT_EQ(missing.last_checksum, 77u) << "the chain value passed in";
    EXPECT_EQ(missing.last_kind, 0u);
}

TEST(MarketDataWalScan, DamageIsCountedNotRaised) {
    ScratchDir dir;
    const std::vector<std::uint8_t> good = chained_frames(3);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint64_t frames, integrity, gaps;
        bool truncated;
    };
    std::vector<Case> cases;
    cases.push_back({"64 zero bytes", std::vector<std::uint8_t>(64, 0), 0, 1, 0, false});
    {
        std::vector<std::uint8_t> b = good;
        b.resize(2 * kFrame + 30);
        cases.push_back({"torn header", b, 2, 0, 0, true});
    }
    {
        std::vector<std::uint8_t> b = good;
        b.resize(3 * kFrame - 1);
        cases.push_back({"torn payload", b, 2, 0, 0, true});
    }
    {
        // Stated length near 4 GiB in a tiny file: detected as a torn tail, nothing allocated.
        std::vector<std::uint8_t> b = good;
        le::put<std::uint32_t>(b.data() + 2 * kFrame + 48, 0xFFFFFFF0u);
        cases.push_back({"length past end", b, 2, 0, 0, true});
    }
    {
        // Overwriting a stored checksum: the frame's own check and the next frame's chain link
        // fail; the frame after that is fine again.
        std::vector<std::uint8_t> b = chained_frames(4);
        le::put<std::uint32_t>(b.data() + kFrame + 52, 0x12345678u);
        cases.push_back({"checksum overwritten", b, 4, 2, 0, false});
    }
    {
        std::vector<std::uint8_t> b = good;
        b[kFrame + 61] ^= 1;  // reserved bytes are covered by the checksum
        cases.push_back({"reserved byte flipped", b, 3, 1, 0, false});
    }
    {
        std::vector<std::uint8_t> b = good;
        b[2 * kFrame + 70] ^= 1;
        cases.push_back({"payload flipped", b, 3, 1, 0, false});
    }
    {
        std::vector<std::uint8_t> b = good;
        b[kFrame + 1] = 'Y';  // bad magic stops the scan
        cases.push_back({"bad magic", b, 1, 1, 0, false});
    }
    {
        std::vector<std::uint8_t> b = good;
        le::put<std::uint16_t>(b.data() + kFrame + 4, 2);
        cases.push_back({"bad version", b, 1, 1, 0, false});
    }
    cases.push_back({"starts at 5", chained_frames(2, 5), 2, 0, 1, false});

    for (const Case& c : cases) {
        write_bytes(dir / "log", c.bytes);
        const MarketDataWalScanSummary s = scan(dir / "log");
        EXPECT_FALSE(s.clean) << c.name;
        EXPECT_EQ(s.frames, c.frames) << c.name;
        EXPECT_EQ(s.bytes, c.frames * kFrame) << c.name;
        EXPECT_EQ(s.integrity_failures, c.integrity) << c.name;
        EXPECT_EQ(s.sequence_gaps, c.gaps) << c.name;
        EXPECT_EQ(s.truncated_tail, c.truncated) << c.name;
    }
}

TEST(MarketDataWalScan, ReservedBytesWithMatchingChecksumScanClean) {
    ScratchDir dir;
    std::vector<std::uint8_t> b = chained_frames(1);
    b[62] = 0x5A;
    le::put<std::uint32_t>(b.data() + 52, market_data_wal_frame_checksum(b));
    write_bytes(dir / "log", b);
    EXPECT_TRUE(scan(dir / "log").clean);
}

TEST(MarketDataWalScan, KindOutsideRangeFailsTheScan) {
    ScratchDir dir;
    for (const std::uint16_t kind : {0, 13}) {
        std::vector<std::uint8_t> b = chained_frames(2);
        le::put<std::uint16_t>(b.data() + kFrame + 6, kind);
        write_bytes(dir / "log", b);
        WalResult<MarketDataWalScanSummary> s =
            scan_market_data_wal_into_from(dir / "log", 1, 0, nullptr);
        ASSERT_FALSE(s) << kind;
        EXPECT_EQ(s.error(), WalIoError::invalid_data("invalid market-data WAL record kind"));
    }
}

TEST(MarketDataWalScan, FilterCollectsMatchingFramesEvenWhenDamaged) {
    ScratchDir dir;
    std::vector<std::uint8_t> b = chained_frames(6);
    b[3 * kFrame + 66] ^= 1;  // frame with sequence 4 fails its checksum
    write_bytes(dir / "log", b);

    std::vector<MarketDataWalRecord> got;
    MarketDataWalFilter f;
    f.wal_sequence = {2, 5};
    f.ts_recv_ns.min = 2002;  // excludes sequence 2 (ts_recv 2001)
    f.records = &got;
    const MarketDataWalScanSummary s = scan(dir / "log", 1, 0, &f);
    EXPECT_EQ(s.integrity_failures, 1u);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].wal_sequence, 3u);
    EXPECT_EQ(got[1].wal_sequence, 4u);
    EXPECT_EQ(got[2].wal_sequence, 5u);
    EXPECT_EQ(got[0].source_sequence_1, 102u);
    EXPECT_EQ(got[0].source_sequence_2, 202u);
    EXPECT_EQ(got[0].ts_exchange_ns, 1002u);
    EXPECT_EQ(got[0].kind, kMarketDataWalKindTrade);
    EXPECT_EQ(std::string(got[0].payload.begin(), got[0].payload.end()), "payload-2");

    got.clear();
    MarketDataWalFilter by_kind;
    by_kind.kind = kMarketDataWalKindSegmentSeal;
    by_kind.records = &got;
    scan(dir / "log", 1, 0, &by_kind);
    EXPECT_TRUE(got.empty());
    by_kind.kind = kMarketDataWalKindTrade;
    by_kind.source_sequence_2 = {std::nullopt, 201};
    scan(dir / "log", 1, 0, &by_kind);
    EXPECT_EQ(got.size(), 2u);
}

}  // namespace
}  // namespace qx::persist
