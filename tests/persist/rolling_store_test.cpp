// The rolling JSON-lines store on real files: rows and layout, retention by size and age, the
// pruning scope, and the safe encoding of venue and symbol directory names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "helpers/scratch_dir.h"
#include "persist/path_component.h"
#include "persist/rolling_store.h"
#include "support/clock.h"
#include "support/fs.h"

namespace qx::persist {
namespace {

namespace stdfs = std::filesystem;

constexpr std::uint64_t kSec = 1000000000ULL;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Writes a file of `size` bytes (creating its directories) dated `mtime_ns`.
void make_file(const std::string& path, std::size_t size, std::uint64_t mtime_ns) {
    stdfs::create_directories(stdfs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    ASSERT_TRUE(fs::set_mtime(path, mtime_ns));
}

TradePrint trade(const char* venue, const char* symbol) {
    TradePrint t;
    t.symbol = {venue, symbol};
    t.sequence = 7;
    t.price = 101;
    t.size = 3;
    t.aggressor = Side::Bid;
    t.ts_exchange_ns = 5;
    t.ts_recv_ns = 9;
    return t;
}

TEST(RollingStore, RowsAndLayout) {
    qx_test::ScratchDir dir;
    RollingStore store(dir.path(), std::nullopt);
    ASSERT_TRUE(store.append_trade(trade("venue", "symbol")));
    TradePrint second = trade("venue", "symbol");
    second.aggressor = Side::Ask;
    second.price = -2;
    second.sequence = UINT64_MAX;
    ASSERT_TRUE(store.append_trade(second));
    EXPECT_EQ(read_text(dir / "venue/symbol/trades.jsonl"),
              "{\"schema\":1,\"seq\":7,\"price\":101,\"size\":3,\"aggressor\":\"Bid\","
              "\"ts_exchange_ns\":5,\"ts_recv_ns\":9}\n"
              "{\"schema\":1,\"seq\":18446744073709551615,\"price\":-2,\"size\":3,"
              "\"aggressor\":\"Ask\",\"ts_exchange_ns\":5,\"ts_recv_ns\":9}\n");

    BookUpdate u;
    u.symbol = {"venue", "symbol"};
    u.side = Side::Ask;
    u.level = 65535;
    u.price = 104;
    u.size = 0;
    u.action = BookAction::Delete;
    u.sequence = 8;
    u.ts_exchange_ns = 1;
    u.ts_recv_ns = 2;
    ASSERT_TRUE(store.append_book(u));
    EXPECT_EQ(read_text(dir / "venue/symbol/book.jsonl"),
              "{\"schema\":1,\"seq\":8,\"side\":\"Ask\",\"level\":65535,\"price\":104,\"size\":0,"
              "\"action\":\"Delete\",\"ts_exchange_ns\":1,\"ts_recv_ns\":2}\n");
    EXPECT_EQ(store.stream_path("venue", "symbol", "book"), dir / "venue/symbol/book.jsonl");
}

TEST(RollingStore, SizeLimitDeletesOldestStreamFilesFirst) {
    qx_test::ScratchDir dir;
    const std::uint64_t now = unix_ts_nanos();
    make_file(dir / "A/x/trades.jsonl", 400, now - 300 * kSec);
    make_file(dir / "B/x/book.jsonl", 400, now - 200 * kSec);
    // The appended row brings C/x/trades.jsonl to 300 bytes: 1100 in all.
    const std::size_t row = format_trade_row(trade("C", "x")).size() + 1;
    make_file(dir / "C/x/trades.jsonl", 300 - row, now - 100 * kSec);

    RollingStore store(dir.path(), RetentionPolicy{1000, 0});
    ASSERT_TRUE(store.append_trade(trade("C", "x")));
    EXPECT_FALSE(stdfs::exists(dir / "A/x/trades.jsonl"));
    EXPECT_TRUE(stdfs::exists(dir / "B/x/book.jsonl"));
    EXPECT_EQ(stdfs::file_size(dir / "C/x/trades.jsonl"), 300u);

    // The file just written is not protected when it alone is over the limit.
    RollingStore tiny(dir.path(), RetentionPolicy{10, 0});
    ASSERT_TRUE(tiny.append_trade(trade("C", "x")));
    std::vector<FileMeta> left;
    ASSERT_TRUE(tiny.collect_stream_files(left));
    EXPECT_TRUE(left.empty());
}

TEST(RollingStore, AgeLimitCountsWholeSecondsAndSparesFutureFiles) {
    qx_test::ScratchDir dir;
    const std::uint64_t now = 1'800'000'000ULL * kSec;
    make_file(dir / "v/exactly60/trades.jsonl", 10, now - 60 * kSec);
    make_file(dir / "v/almost60/trades.jsonl", 10, now - 60 * kSec + 1);
    make_file(dir / "v/ancient/book.jsonl", 10, kSec);
    make_file(dir / "v/future/book.jsonl", 10, now + 3600 * kSec);

    RollingStore store(dir.path(), RetentionPolicy{0, 60});
    ASSERT_TRUE(store.prune_at(now));
    EXPECT_FALSE(stdfs::exists(dir / "v/exactly60/trades.jsonl"));
    EXPECT_FALSE(stdfs::exists(dir / "v/ancient/book.jsonl"));
    EXPECT_TRUE(stdfs::exists(dir / "v/almost60/trades.jsonl")) << "59.999 s is 59 whole seconds";
    EXPECT_TRUE(stdfs::exists(dir / "v/future/book.jsonl"));

    // Age first, then size over what is left.
    RollingStore both(dir.path(), RetentionPolicy{15, 60});
    ASSERT_TRUE(both.prune_at(now + kSec));
    EXPECT_FALSE(stdfs::exists(dir / "v/almost60/trades.jsonl"));
    EXPECT_TRUE(stdfs::exists(dir / "v/future/book.jsonl"));
}

TEST(RollingStore, ZeroLimitsOrNoPolicyDeleteNothing) {
    qx_test::ScratchDir dir;
    make_file(dir / "v/s/trades.jsonl", 5000, kSec);
    RollingStore zeros(dir.path(), RetentionPolicy{0, 0});
    ASSERT_TRUE(zeros.append_trade(trade("v", "t")));
    RollingStore none(dir.path(), std::nullopt);
    ASSERT_TRUE(none.append_trade(trade("v", "t")));
    EXPECT_TRUE(stdfs::exists(dir / "v/s/trades.jsonl"));
}

TEST(RollingStore, PruningTouchesOnlyTheStoresOwnStreamFiles) {
    qx_test::ScratchDir dir;
    qx_test::ScratchDir outside;
    const std::string root = dir / "data";
    const std::vector<std::string> foreign = {
        root + "/notes.txt",              // at the root
        root + "/v/trades.jsonl",         // one level too shallow
        root + "/v/s/other.jsonl",        // not a stream name
        root + "/v/s/deeper/book.jsonl",  // one level too deep
        root + "/wal/segment-1.qxmw",
    };
    for (const std::string& f : foreign) {
        make_file(f, 100000, kSec);  // huge and ancient
    }
    make_file(outside / "x/trades.jsonl", 100000, kSec);
    stdfs::create_directories(root + "/linked");
    stdfs::create_directory_symlink(outside.path(), root + "/linked/s");
    stdfs::create_directory_symlink(outside / "x", root + "/v/linked");
    std::ofstream(root + "/v/s/book.jsonl") << "";
    stdfs::create_symlink(outside / "x/trades.jsonl", root + "/v/s/trades.jsonl");

    RollingStore store(root, RetentionPolicy{200, 60});
    ASSERT_TRUE(store.append_trade(trade("v", "t")));
    ASSERT_TRUE(store.append_trade(trade("v", "t")));
    for (const std::string& f : foreign) {
        EXPECT_TRUE(stdfs::exists(f)) << f;
    }
    EXPECT_TRUE(stdfs::exists(outside / "x/trades.jsonl")) << "links are never followed";
    EXPECT_TRUE(stdfs::exists(root + "/v/t/trades.jsonl"))
        << "foreign files do not count toward the size limit";

    std::vector<FileMeta> own;
    ASSERT_TRUE(store.collect_stream_files(own));
    std::vector<std::string> paths;
    for (const FileMeta& m : own) {
        paths.push_back(m.path);
    }
    EXPECT_EQ(paths,
              (std::vector<std::string>{root + "/v/s/book.jsonl", root + "/v/t/trades.jsonl"}));
}

TEST(CollectFiles, ListsEveryRegularFileAndSkipsLinks) {
    qx_test::ScratchDir dir;
    make_file(dir / "b/2.txt", 2, 20 * kSec);
    make_file(dir / "a.txt", 1, 10 * kSec);
    make_file(dir / "b/c/3.txt", 3, 30 * kSec);
    stdfs::create_symlink(dir / "a.txt", dir / "b/link.txt");
    std::vector<FileMeta> files;
    ASSERT_TRUE(collect_files(dir.path(), files));
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].path, dir / "a.txt");
    EXPECT_EQ(files[0].size, 1u);
    EXPECT_EQ(files[0].modified_ns, 10 * kSec);
    EXPECT_EQ(files[1].path, dir / "b/2.txt");
    EXPECT_EQ(files[2].path, dir / "b/c/3.txt");

    files.clear();
    ASSERT_TRUE(collect_files(dir / "missing", files));
    EXPECT_TRUE(files.empty());
}

TEST(PathComponent, OrdinaryNamesStayAndEverythingElseIsEscaped) {
    struct Case {
        std::string text;
        std::string name;
    };
    const Case cases[] = {
        {"CME", "CME"},
        {"ES.Z5-x_1", "ES.Z5-x_1"},
        {"...", "..."},
        {"", "%"},
        {".", "%."},
        {"..", "%.."},
        {"BTC/USD", "%BTC%2FUSD"},
        {"../../etc", "%..%2F..%2Fetc"},
        {"a b", "%a%20b"},
        {"50%", "%50%25"},
        {"%41", "%%2541"},
        {"\xc3\xa9", "%%C3%A9"},
        {std::string("a\0b", 3), "%a%00b"},
    };
    std::set<std::string> names;
    for (const Case& c : cases) {
        const std::string name = encode_path_component(c.text);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(decode_path_component(name), c.text) << name;
        EXPECT_EQ(name.find('/'), std::string::npos);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), std::size(cases)) << "distinct texts give distinct names";
    for (const char* bad : {"%2F", "%A", "%zz", "%41", "%a%2fb", ".", "", "a/b"}) {
        EXPECT_FALSE(decode_path_component(bad)) << bad;
    }
}

TEST(RollingStore, HostileVenueAndSymbolStayInsideTheRoot) {
    qx_test::ScratchDir dir;
    const std::string root = dir / "data";
    RollingStore store(root, RetentionPolicy{1 << 20, 0});
    const std::pair<const char*, const char*> names[] = {
        {"../..", "etc"}, {"a/b", "c"}, {"a", "b/c"}, {"", ""}, {".", ".."}, {"/abs", "x"}};
    for (const auto& [venue, symbol] : names) {
        ASSERT_TRUE(store.append_trade(trade(venue, symbol))) << venue << " " << symbol;
    }
    std::set<std::string> files;
    for (const auto& e : stdfs::recursive_directory_iterator(dir.path())) {
        if (e.is_regular_file()) {
            const std::string p = e.path().string();
            EXPECT_EQ(p.rfind(root + "/", 0), 0u) << p;
            files.insert(p);
        }
    }
    EXPECT_EQ(files.size(), std::size(names)) << "no two instruments share a file";
    EXPECT_TRUE(files.count(root + "/%a%2Fb/c/trades.jsonl"));
    EXPECT_TRUE(files.count(root + "/a/%b%2Fc/trades.jsonl"));
    EXPECT_TRUE(files.count(root + "/%/%/trades.jsonl"));
}

TEST(RollingStore, FailuresAreReturned) {
    qx_test::ScratchDir dir;
    std::ofstream(dir / "file") << "not a directory";
    RollingStore store(dir / "file", std::nullopt);
    const auto r = store.append_trade(trade("v", "s"));
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("os error"), std::string::npos) << r.error().message;
}

}  // namespace
}  // namespace qx::persist
