// The segmented log: opening and continuing roots, seal-and-rotate, the manifest, the sync
// policies, refusal of damaged roots, and real write and sync failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "persist/market_data_segmented/manifest.h"
#include "persist/market_data_segmented/segment_root.h"
#include "persist/market_data_segmented/segmented_wal.h"
#include "persist/market_data_wal_scan.h"
#include "support/fnv.h"
#include "support/little_endian.h"
#include "wal_test_support.h"

namespace qx::persist {
namespace {

using testing::ScratchDir;
using Mode = MarketDataWalSyncPolicy::Mode;

SegmentedMarketDataWalConfig config_for(const std::string& root, std::uint64_t target = 1 << 20,
                                        MarketDataWalSyncPolicy policy = {},
                                        std::uint64_t write_buffer = 0) {
    SegmentedMarketDataWalConfig c;
    c.segment_root = root;
    c.segment_byte_target = target;
    c.max_payload_bytes = 4096;
    c.sync_policy = policy;
    c.write_buffer_bytes = write_buffer;
    return c;
}

std::unique_ptr<SegmentedMarketDataWal> open_ok(const SegmentedMarketDataWalConfig& c) {
    WalResult<std::unique_ptr<SegmentedMarketDataWal>> wal = SegmentedMarketDataWal::open(c);
    EXPECT_TRUE(wal) << (wal ? "" : wal.error().message);
    return wal ? std::move(*wal) : nullptr;
}

WalResult<std::uint64_t> append(SegmentedMarketDataWal& wal, std::size_t payload_bytes,
                                std::uint64_t source = 7) {
    const std::vector<std::uint8_t> payload(payload_bytes, 0xAB);
    return wal.append_record(kMarketDataWalKindTrade, source, source, 100, 200, payload);
}

std::string segment_path(const std::string& root, std::uint64_t id) {
    return fs::join(root, segment_file_name(id));
}

std::vector<std::string> manifest_lines(const std::string& root) {
    std::vector<std::string> lines;
    std::istringstream in(*fs::read_file(fs::join(root, "manifest.qxmm")));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(SegmentedWal, OpeningAnEmptyRootStartsSegmentOne) {
    ScratchDir dir;
    const std::string root = dir / "a/b/wal";
    auto wal = open_ok(config_for(root));
    ASSERT_TRUE(wal);
    EXPECT_EQ(wal->next_sequence(), 1u);
    EXPECT_EQ(wal->chain_value(), 0u);
    ASSERT_EQ(wal->segments().size(), 1u);
    EXPECT_EQ(wal->active_segment().id, 1u);
    EXPECT_EQ(fs::metadata(segment_path(root, 1))->size, 0u);
    EXPECT_EQ(wal->counters().manifest_writes, 1u);

    const std::string body =
        "QXMMS1\nnext=1,previous=0\n1,0,0,0,0,0,0,segment-00000000000000000001.qxmw\n";
    EXPECT_EQ(*fs::read_file(fs::join(root, "manifest.qxmm")),
              body + "checksum=" + std::to_string(fnv1a32(body)) + "\n");
    EXPECT_FALSE(fs::exists(fs::join(root, "manifest.qxmm.tmp")));
}

TEST(SegmentedWal, ConfigurationChecks) {
    ScratchDir dir;
    struct Case {
        SegmentedMarketDataWalConfig config;
        const char* text;
    };
    Case cases[] = {
        {config_for(dir.path(), 127), "segment byte target is too small"},
        {config_for(dir.path()), "maximum market-data WAL payload is zero"},
        {config_for(dir.path(), 128, MarketDataWalSyncPolicy::every_n_records(0)),
         "market-data WAL sync record interval is zero"},
    };
    cases[1].config.max_payload_bytes = 0;
    for (const Case& c : cases) {
        auto wal = SegmentedMarketDataWal::open(c.config);
        ASSERT_FALSE(wal) << c.text;
        EXPECT_EQ(wal.error(), WalIoError::invalid_input(c.text));
    }
    EXPECT_TRUE(SegmentedMarketDataWal::open(config_for(dir.path(), 128)));
}

TEST(SegmentedWal, SealsAndRotatesAtTheByteTarget) {
    for (const std::uint64_t buffer : {std::uint64_t{0}, kDefaultWalWriteBufferBytes}) {
        ScratchDir dir;
        auto wal = open_ok(config_for(dir.path(), 256, {}, buffer));
        ASSERT_TRUE(wal);
        EXPECT_EQ(*append(*wal, 200), 1u) << "an empty segment takes the frame";
        EXPECT_EQ(*append(*wal, 0), 3u) << "sequence 2 went to the seal frame";
        ASSERT_TRUE(wal->write_buffered());

        EXPECT_EQ(fs::metadata(segment_path(dir.path(), 1))->size, 328u);
        EXPECT_EQ(fs::metadata(segment_path(dir.path(), 2))->size, 64u);
        ASSERT_EQ(wal->segments().size(), 2u);
        const MarketDataWalSegmentMetadata& first = wal->segments()[0];
        EXPECT_TRUE(first.sealed);
        EXPECT_EQ(first.frames, 2u);
        EXPECT_EQ(first.first_sequence, 1u);
        EXPECT_EQ(first.last_sequence, 2u);
        const MarketDataWalSegmentMetadata& second = wal->segments()[1];
        EXPECT_FALSE(second.sealed);
        EXPECT_EQ(second.first_sequence, 3u);
        EXPECT_EQ(wal->counters().seals, 1u);
        EXPECT_EQ(wal->counters().rotations, 1u);
        EXPECT_EQ(wal->counters().appended_frames, 3u);
        EXPECT_EQ(wal->counters().appended_bytes, 264u + 64u + 64u);

        // One chain across both files.
        const std::vector<std::uint8_t> seg2 = testing::read_bytes(segment_path(dir.path(), 2));
        EXPECT_EQ(le::get<std::uint32_t>(seg2.data() + 56), first.last_checksum);
        WalResult<MarketDataWalRootReport> report = inspect_segment_root(dir.path());
        ASSERT_TRUE(report);
        EXPECT_TRUE(report->clean);
        EXPECT_EQ(report->frames, 3u);
        EXPECT_EQ(report->last_sequence, 3u);

        const std::vector<std::string> lines = manifest_lines(dir.path());
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[1], "next=3,previous=" + std::to_string(first.last_checksum))
            << "written at the rotation, before frame 3";
        EXPECT_EQ(lines[2], "1,1,2,2,328," + std::to_string(first.last_checksum) + ",1," +
                                segment_file_name(1));
    }
}

TEST(SegmentedWal, SmallestTargetHoldsOneDataFramePerSegment) {
    ScratchDir dir;
    auto wal = open_ok(config_for(dir.path(), 128));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(append(*wal, 10));
    }
    ASSERT_EQ(wal->segments().size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(wal->segments()[i].frames, 2u);
        EXPECT_TRUE(wal->segments()[i].sealed);
    }
    EXPECT_EQ(wal->segments()[2].frames, 1u);
}

TEST(SegmentedWal, ReopeningContinuesTheUnsealedSegment) {
    ScratchDir dir;
    std::uint32_t last_checksum = 0;
    {
        auto wal = open_ok(config_for(dir.path(), 1 << 20, {}, kDefaultWalWriteBufferBytes));
        ASSERT_TRUE(append(*wal, 5));
        ASSERT_TRUE(append(*wal, 5));
        last_checksum = wal->chain_value();
        EXPECT_EQ(wal->written_sequence(), 0u) << "still gathered in memory";
    }  // releasing the log writes the gathered frames, unsealed and unsynced
    auto wal = open_ok(config_for(dir.path()));
    EXPECT_EQ(wal->next_sequence(), 3u);
    EXPECT_EQ(wal->chain_value(), last_checksum);
    EXPECT_EQ(wal->written_sequence(), 2u);
    EXPECT_EQ(*append(*wal, 5), 3u);
    ASSERT_EQ(wal->segments().size(), 1u);
    const std::vector<std::uint8_t> seg = testing::read_bytes(segment_path(dir.path(), 1));
    ASSERT_EQ(seg.size(), 3u * 69u);
    EXPECT_EQ(le::get<std::uint32_t>(seg.data() + 2 * 69 + 56), last_checksum);
}

TEST(SegmentedWal, ReopeningAfterASealStartsTheNextSegment) {
    ScratchDir dir;
    std::uint32_t chain = 0;
    {
        auto wal = open_ok(config_for(dir.path()));
        ASSERT_TRUE(append(*wal, 5));
        ASSERT_TRUE(wal->seal_active_segment());
        ASSERT_TRUE(wal->seal_active_segment()) << "sealing twice does nothing";
        EXPECT_EQ(wal->counters().seals, 1u);
        chain = wal->chain_value();
    }
    auto wal = open_ok(config_for(dir.path()));
    ASSERT_EQ(wal->segments().size(), 2u);
    EXPECT_EQ(wal->active_segment().id, 2u);
    EXPECT_EQ(wal->next_sequence(), 3u);
    const std::vector<std::string> lines = manifest_lines(dir.path());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "2,0,0,0,0," + std::to_string(chain) + ",0," + segment_file_name(2));
}

TEST(SegmentedWal, RefusesRootsThatAreNotOneCleanLog) {
    const auto build = [](const std::string& root, int frames, std::uint64_t target) {
        auto wal = open_ok(config_for(root, target));
        for (int i = 0; i < frames; ++i) {
            (void)append(*wal, 10);
        }
    };
    const std::string unclean = "segmented market-data WAL failed integrity validation";
    struct Case {
        const char* name;
        std::function<void(const std::string&)> damage;
        std::string text;
    };
    const Case cases[] = {
        {"torn last frame",
         [&](const std::string& r) {
             build(r, 3, 1 << 20);
             ASSERT_EQ(::truncate(segment_path(r, 1).c_str(), 2 * 74 + 40), 0);
         },
         unclean},
        {"flipped byte in a sealed segment",
         [&](const std::string& r) {
             build(r, 3, 128);
             std::vector<std::uint8_t> b = testing::read_bytes(segment_path(r, 2));
             b[70] ^= 1;
             testing::write_bytes(segment_path(r, 2), b);
         },
         unclean},
        {"middle segment missing",
         [&](const std::string& r) {
             build(r, 3, 128);
             ASSERT_TRUE(fs::remove_file(segment_path(r, 2)));
         },
         unclean},
        {"first segment missing",
         [&](const std::string& r) {
             build(r, 3, 128);
             ASSERT_TRUE(fs::remove_file(segment_path(r, 1)));
         },
         unclean},
        {"unsealed predecessor",
         [&](const std::string& r) {
             auto wal = open_ok(config_for(r));
             (void)append(*wal, 10);
             ASSERT_TRUE(wal->rotate_to_new_segment());
         },
         unclean},
        {"zero id",
         [&](const std::string& r) {
             testing::write_bytes(fs::join(r, "segment-00000000000000000000.qxmw"), {});
         },
         "market-data WAL segment id is zero"},
        {"not a number",
         [&](const std::string& r) { testing::write_bytes(fs::join(r, "segment-1a.qxmw"), {}); },
         "invalid market-data WAL segment filename"},
        {"no digits",
         [&](const std::string& r) { testing::write_bytes(fs::join(r, "segment-+.qxmw"), {}); },
         "invalid market-data WAL segment filename"},
        {"above 64 bits",
         [&](const std::string& r) {
             testing::write_bytes(fs::join(r, "segment-18446744073709551616.qxmw"), {});
         },
         "invalid market-data WAL segment filename"},
        {"one id twice",
         [&](const std::string& r) {
             build(r, 1, 1 << 20);
             testing::write_bytes(fs::join(r, "segment-+1.qxmw"), {});
         },
         "duplicate market-data WAL segment id"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        c.damage(dir.path());
        auto wal = SegmentedMarketDataWal::open(config_for(dir.path()));
        ASSERT_FALSE(wal) << c.name;
        EXPECT_EQ(wal.error(), WalIoError::invalid_data(c.text)) << c.name;
    }
}

TEST(SegmentedWal, IgnoresEntriesThatAreNotSegmentFiles) {
    ScratchDir dir;
    {
        auto wal = open_ok(config_for(dir.path()));
        ASSERT_TRUE(append(*wal, 10));
    }
    testing::write_bytes(dir / "segment-00000000000000000002.qxmw.bak", {1, 2});
    testing::write_bytes(dir / "segment-notes.txt", {1, 2});
    testing::write_bytes(dir / "segment.qxmw", {1, 2});
    ASSERT_EQ(::mkdir((dir / "segment-00000000000000000003.qxmw").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(segment_path(dir.path(), 1).c_str(),
                        (dir / "segment-00000000000000000002.qxmw").c_str()),
              0);
    auto wal = open_ok(config_for(dir.path()));
    ASSERT_TRUE(wal);
    EXPECT_EQ(wal->segments().size(), 1u);
    EXPECT_EQ(wal->next_sequence(), 2u);
}

TEST(SegmentedWal, SyncPolicies) {
    struct Case {
        MarketDataWalSyncPolicy policy;
        std::uint64_t target;
        int appends;
        std::uint64_t syncs;
        std::uint64_t unsynced;
    } cases[] = {
        {MarketDataWalSyncPolicy::never(), 1 << 20, 7, 0, 7},
        {MarketDataWalSyncPolicy::every_record(), 1 << 20, 7, 7, 0},
        {MarketDataWalSyncPolicy::every_n_records(3), 1 << 20, 7, 2, 1},
        // Seal frames count: 4 appends on target 128 write frames d s d s d s d.
        {MarketDataWalSyncPolicy::every_n_records(3), 128, 4, 2, 1},
        {MarketDataWalSyncPolicy::on_seal(), 128, 4, 3, 1},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        auto wal = open_ok(config_for(dir.path(), c.target, c.policy, kDefaultWalWriteBufferBytes));
        for (int i = 0; i < c.appends; ++i) {
            ASSERT_TRUE(append(*wal, 10));
        }
        EXPECT_EQ(wal->counters().syncs, c.syncs) << static_cast<int>(c.policy.mode);
        EXPECT_EQ(wal->counters().unsynced_frames, c.unsynced) << static_cast<int>(c.policy.mode);
        if (c.syncs > 0) {
            EXPECT_GT(wal->synced_sequence(), 0u);
            EXPECT_LE(wal->synced_sequence(), wal->written_sequence());
        }
    }
}

TEST(SegmentedWal, RefusedAppendsChangeNothing) {
    ScratchDir dir;
    auto wal = open_ok(config_for(dir.path()));
    ASSERT_TRUE(append(*wal, 10));
    const std::vector<std::uint8_t> empty;
    WalResult<std::uint64_t> seal =
        wal->append_record(kMarketDataWalKindSegmentSeal, 0, 0, 0, 0, empty);
    ASSERT_FALSE(seal);
    EXPECT_EQ(seal.error(),
              WalIoError::invalid_input("use seal_active_segment to append a segment seal"));
    EXPECT_TRUE(append(*wal, 4096));
    WalResult<std::uint64_t> big = append(*wal, 4097);
    ASSERT_FALSE(big);
    EXPECT_EQ(big.error(),
              WalIoError::invalid_input("market-data WAL payload exceeds configured maximum"));
    EXPECT_EQ(wal->next_sequence(), 3u);
    EXPECT_EQ(wal->counters().appended_frames, 2u);
}

TEST(SegmentedWal, RotationNeverOverwritesAnExistingSegment) {
    ScratchDir dir;
    auto wal = open_ok(config_for(dir.path(), 128));
    ASSERT_TRUE(append(*wal, 10));
    testing::write_bytes(segment_path(dir.path(), 2), {1, 2, 3});
    WalResult<std::uint64_t> r = append(*wal, 10);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, WalIoErrorKind::Os);
    EXPECT_NE(r.error().message.find("(os error 17)"), std::string::npos) << r.error().message;
    EXPECT_EQ(testing::read_bytes(segment_path(dir.path(), 2)),
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(wal->active_segment().id, 1u);
    EXPECT_TRUE(wal->active_segment().sealed);
}

// Runs appends in a child whose file-size limit stops the segment file at `limit` bytes and
// reports the log's state after the failure as "key=value" lines.
std::map<std::string, std::string> write_failure_in_child(const std::string& root,
                                                          std::uint64_t write_buffer) {
    const testing::ChildResult child = testing::run_in_child([&](int out) {
        auto wal = SegmentedMarketDataWal::open(config_for(root, 1 << 20, {}, write_buffer));
        if (!wal) {
            return;
        }
        testing::limit_file_size(1000);
        std::ostringstream o;
        std::uint64_t ok = 0;
        WalResult<std::uint64_t> r = 0;
        while ((r = append(**wal, 100))) {
            ++ok;
        }
        o << "ok=" << ok << "\nerror=" << r.error().message
          << "\nkind=" << static_cast<int>(r.error().kind) << "\nnext=" << (*wal)->next_sequence()
          << "\nwritten=" << (*wal)->written_sequence()
          << "\nframes=" << (*wal)->active_segment().frames
          << "\nappended=" << (*wal)->counters().appended_frames
          << "\nwrite_failures=" << (*wal)->counters().write_failures
          << "\nbuffered=" << (*wal)->buffered_bytes();
        WalResult<std::uint64_t> again = append(**wal, 1);
        o << "\nagain=" << (again ? "ok" : again.error().message) << "\n";
        testing::write_text(out, o.str());
    });
    return testing::parse_key_values(child.output);
}

TEST(SegmentedWal, WriteFailureRestoresStateAndStopsTheLog) {
    // Frames are 164 bytes; the sixth crosses the 1000-byte limit.
    for (const std::uint64_t buffer : {std::uint64_t{0}, std::uint64_t{400}}) {
        ScratchDir dir;
        auto kv = write_failure_in_child(dir.path(), buffer);
        ASSERT_FALSE(kv.empty()) << "child reported nothing";
        EXPECT_NE(kv["error"].find("File too large (os error 27)"), std::string::npos)
            << kv["error"];
        EXPECT_EQ(kv["kind"], std::to_string(static_cast<int>(WalIoErrorKind::Os)));
        EXPECT_EQ(kv["write_failures"], "1");
        EXPECT_EQ(kv["again"], kv["error"]) << "the log refuses to write after a torn write";
        EXPECT_EQ(kv["buffered"], "0");
        // The state is back at the last frame the file holds completely.
        EXPECT_EQ(kv["next"], std::to_string(std::stoull(kv["written"]) + 1));
        EXPECT_EQ(kv["frames"], kv["written"]);
        EXPECT_EQ(kv["appended"], kv["written"]);
        if (buffer == 0) {
            EXPECT_EQ(kv["ok"], "6");
            EXPECT_EQ(kv["written"], "6");
        } else {
            // Three frames fill the 400-byte buffer. The third write (frames 7 to 9) crosses
            // the limit; frames 7 and 8, appended earlier, are gone with it.
            EXPECT_EQ(kv["ok"], "8");
            EXPECT_EQ(kv["written"], "6");
        }
        // The file ends inside a frame, so the root does not reopen.
        WalResult<MarketDataWalRootReport> report = inspect_segment_root(dir.path());
        ASSERT_TRUE(report);
        EXPECT_TRUE(report->truncated_tail);
        EXPECT_EQ(report->last_sequence, std::stoull(kv["written"]));
        EXPECT_FALSE(SegmentedMarketDataWal::open(config_for(dir.path())));
    }
}

TEST(SegmentedWal, SyncFailureOnARealDevice) {
    testing::FailingSyncVolume volume;
    if (!volume.ready()) {
        GTEST_SKIP() << "needs root, tmpfs, a loop device and mke2fs";
    }
    auto wal = open_ok(config_for(volume.path("wal"), 64 << 20, MarketDataWalSyncPolicy::never(),
                                  kDefaultWalWriteBufferBytes));
    ASSERT_TRUE(wal);
    for (int i = 0; i < 1600; ++i) {
        ASSERT_TRUE(append(*wal, 4000));
    }
    ASSERT_TRUE(wal->write_buffered()) << "the page cache takes the writes";
    WalStatus s = wal->sync();
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().kind, WalIoErrorKind::Os);
    EXPECT_NE(s.error().message.find("(os error"), std::string::npos) << s.error().message;
    EXPECT_EQ(wal->counters().sync_failures, 1u);
    EXPECT_EQ(wal->counters().syncs, 0u);
    EXPECT_EQ(wal->synced_sequence(), 0u);
    EXPECT_EQ(wal->written_sequence(), 1600u);
}

}  // namespace
}  // namespace qx::persist
