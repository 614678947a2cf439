// Pushing events through the C interface allocates nothing in steady state when no callback
// is registered: state is found by borrowed symbol text and every buffer is reused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/recent_trades.h"
#include "qx/qx.h"

#include "helpers/counting_allocator.h"

namespace qx {
namespace {

TEST(EngineSteadyState, IngestDoesNotAllocate) {
    if (!testing::kAllocationsCounted) {
        GTEST_SKIP() << "allocations are not counted in this build";
    }
    char tmpl[] = "/tmp/qx-alloc-XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    const std::string config = dir + "/c.json";
    std::ofstream(config) << "{\"audit_log_path\":\"" << dir << "/audit.log\"}";
    qx_engine_config_t c{};
    c.config_path = config.c_str();
    qx_engine_t* engine = nullptr;
    ASSERT_EQ(qx_engine_create(&c, &engine), QX_STATUS_OK);
    ASSERT_EQ(qx_engine_start(engine), QX_STATUS_OK);

    const char* symbols[] = {"ESZ6", "NQZ6", "A-LONGER-SYMBOL-NAME-THAN-SSO"};
    auto push = [&](std::uint64_t i) {
        const char* s = symbols[i % 3];
        const qx_book_update_t u{{"CME", s, 0},
                                 static_cast<uint32_t>(i & 1),
                                 static_cast<uint16_t>(i % 10),
                                 1000 + static_cast<int64_t>(i % 10),
                                 static_cast<int64_t>(10 + i % 50),
                                 0,
                                 0,
                                 1,
                                 2};
        ASSERT_EQ(qx_ingest_book(engine, &u, 0), QX_STATUS_OK);
        const qx_trade_t t{{"CME", s, 0},
                           1000 + static_cast<int64_t>(i % 7),
                           3,
                           static_cast<uint32_t>((i / 2) & 1),
                           0,
                           i,
                           i};
        ASSERT_EQ(qx_ingest_trade(engine, &t, 0), QX_STATUS_OK);
    };
    std::uint64_t i = 0;
    // Warm up until every instrument's recent-trade ring is full.
    for (; i < 3 * (RecentTrades::kDefaultCapacity + 100); ++i) {
        push(i);
    }
    long allocations = 0;
    {
        testing::CountAllocations counter;
        for (std::uint64_t end = i + 30000; i < end; ++i) {
            push(i);
        }
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0);
    qx_engine_destroy(engine);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qx
