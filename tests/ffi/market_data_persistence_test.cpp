// Market-data write-ahead-log persistence through the C interface: configuration rules,
// failure actions, the health document and reading the recorded log back.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine_fixture.h"
#include "persist/market_data_wal_reader.h"
#include "runtime/engine/persistence_document.h"

namespace qx::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Persistence : public EngineFixture {
protected:
    std::string wal_root() const { return dir_ + "/wal"; }
    qx_market_data_wal_config_t config() const {
        qx_market_data_wal_config_t c{};
        root_ = wal_root();
        c.root_dir = root_.c_str();
        return c;
    }
    std::string health() {
        return returned([&](char** o, uint32_t* l) {
            return qx_get_market_data_persistence_health_json(engine_, o, l);
        });
    }
    mutable std::string root_;
};

TEST_F(Persistence, WithoutPersistence) {
    EXPECT_EQ(health(), disabled_market_data_persistence_json());
    EXPECT_EQ(health(), health());
    EXPECT_EQ(qx_flush_market_data_wal(engine_), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_shutdown_market_data_wal(engine_), QX_STATUS_OK);
    EXPECT_EQ(qx_flush_market_data_wal(nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_shutdown_market_data_wal(nullptr), QX_STATUS_INVALID_ARGUMENT);
}

TEST_F(Persistence, ConfigurationChecksAndDefaults) {
    qx_market_data_wal_config_t c = config();
    c.sync_mode = 3;
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_INVALID_ARGUMENT);
    c.sync_mode = 4;
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_INVALID_ARGUMENT);
    c = config();
    c.failure_action = 5;
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_INVALID_ARGUMENT);
    c = config();
    c.root_dir = "   ";
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_configure_market_data_wal(engine_, nullptr), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(engine().market_data_persistence(), nullptr);

    c = config();
    ASSERT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_OK);
    const std::string h = health();
    EXPECT_EQ(h.rfind("{\"schema_version\":1,\"mode\":\"bounded_async\",\"enabled\":true,"
                      "\"degraded\":false,\"memory_only\":false,\"failure_action\":"
                      "\"mark_degraded\",\"blocks_trading\":false,",
                      0),
              0u)
        << h;
    EXPECT_TRUE(contains(h, "\"queue_capacity\":4096,"));
    EXPECT_TRUE(contains(h, "\"queued_payload_capacity\":67108864,"));
    EXPECT_TRUE(contains(metrics(), "\"market_data_persistence\":{\"schema_version\":1,"
                                    "\"mode\":\"bounded_async\""));

    const RuntimeMarketDataPersistence* first = engine().market_data_persistence();
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_REFUSED);
    EXPECT_EQ(engine().market_data_persistence(), first);
    EXPECT_EQ(qx_shutdown_market_data_wal(engine_), QX_STATUS_OK);
    EXPECT_EQ(engine().market_data_persistence(), nullptr);
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_OK) << "reopens the log";
}

TEST_F(Persistence, RecordedEventsReadBack) {
    qx_market_data_wal_config_t c = config();
    c.sync_mode = 1;
    ASSERT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 0, 3, 99, 7, 0, 1, kClockSkew, 100), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "Y", 100, 5, 1, 2, 0, 200), QX_STATUS_OK);
    ASSERT_EQ(qx_flush_market_data_wal(engine_), QX_STATUS_OK);
    EXPECT_TRUE(contains(health(), "\"accepted_records\":2,\"written_records\":2,"));
    ASSERT_EQ(qx_shutdown_market_data_wal(engine_), QX_STATUS_OK);

    std::vector<persist::NormalizedMarketDataRecord> records;
    auto read = persist::read_normalized_market_data_wal(
        wal_root(), [&](std::uint64_t, persist::NormalizedMarketDataRecord&& r) {
            records.push_back(std::move(r));
        });
    ASSERT_TRUE(read);
    ASSERT_EQ(records.size(), 2u);
    const BookUpdate u = records[0].to_book_update();
    EXPECT_EQ(records[0].quality_flags, kClockSkew);
    EXPECT_EQ(u.symbol, (SymbolId{"X", "Y"}));
    EXPECT_EQ(u.level, 3);
    EXPECT_EQ(u.price, 99);
    const TradePrint t = records[1].to_trade_print();
    EXPECT_EQ(t.price, 100);
    EXPECT_EQ(t.aggressor, Side::Ask);
    EXPECT_EQ(t.ts_exchange_ns, 200u);
}

TEST_F(Persistence, TornLastSegmentRefusesToOpen) {
    qx_market_data_wal_config_t c = config();
    ASSERT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_OK);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(trade("X", "Y", 100 + i, 1, 1), QX_STATUS_OK);
    }
    ASSERT_EQ(qx_shutdown_market_data_wal(engine_), QX_STATUS_OK);
    std::filesystem::path last;
    for (const auto& e : std::filesystem::directory_iterator(wal_root())) {
        if (e.path().extension() != ".qxmm" && e.path() > last) {
            last = e.path();
        }
    }
    ASSERT_FALSE(last.empty());
    std::filesystem::resize_file(last, std::filesystem::file_size(last) - 3);
    EXPECT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_IO);
    EXPECT_EQ(engine().market_data_persistence(), nullptr);
}

// A record larger than max_payload_bytes is refused deterministically; each action handles it.
class FailureActions : public Persistence {
protected:
    void configure(uint32_t action) {
        qx_market_data_wal_config_t c = config();
        c.max_payload_bytes = 48;  // a record takes 36 bytes plus venue and symbol
        c.failure_action = action;
        ASSERT_EQ(qx_configure_market_data_wal(engine_, &c), QX_STATUS_OK);
    }
    static constexpr const char* kLong = "A-SYMBOL-TOO-LONG-FOR-THE-PAYLOAD";
};

TEST_F(FailureActions, MarkDegradedKeepsProcessing) {
    configure(0);
    ASSERT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    const uint64_t seq = engine().health_seq();
    ASSERT_EQ(trade("X", kLong, 100, 1, 1), QX_STATUS_OK);
    EXPECT_GT(engine().health_seq(), seq) << "the persistence values are in the fingerprint";
    const std::string h = health();
    EXPECT_TRUE(contains(h, "\"enabled\":true,\"degraded\":true,\"memory_only\":false,"
                            "\"failure_action\":\"mark_degraded\",\"blocks_trading\":false"));
    EXPECT_TRUE(contains(h, "\"rejected_records\":1,"));
    EXPECT_FALSE(contains(h, "\"last_error\":null"));
    EXPECT_TRUE(contains(metrics(), "\"runtime_health_status\":\"degraded\""));
    EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
}

TEST_F(FailureActions, StopTradingReportsButProcesses) {
    configure(2);
    ASSERT_EQ(trade("X", kLong, 100, 1, 1), QX_STATUS_OK);
    EXPECT_TRUE(contains(health(), "\"blocks_trading\":true"));
    EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
}

TEST_F(FailureActions, StopMarketDataRefusesLaterEvents) {
    for (uint32_t action : {1u, 3u}) {
        configure(action);
        const uint64_t processed = engine().processed_events();
        EXPECT_EQ(trade("X", kLong, 100, 1, 1), QX_STATUS_REFUSED);
        EXPECT_EQ(engine().processed_events(), processed + 1) << "updates were made first";
        EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_REFUSED);
        EXPECT_EQ(book("X", "Z", 0, 0, 1, 1), QX_STATUS_REFUSED);
        EXPECT_EQ(engine().processed_events(), processed + 1) << "refused before any change";
        EXPECT_EQ(engine().find({"X", "Z"})->book, std::nullopt);
        EXPECT_TRUE(contains(health(), "\"blocks_trading\":true"));
        ASSERT_EQ(qx_shutdown_market_data_wal(engine_), QX_STATUS_OK);
        EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    }
}

TEST_F(FailureActions, MemoryOnlySwitchesAfterTheFirstRefusal) {
    configure(4);
    ASSERT_EQ(trade("X", kLong, 100, 1, 1), QX_STATUS_OK);
    const std::string h = health();
    EXPECT_TRUE(contains(h, "\"enabled\":false,\"degraded\":true,\"memory_only\":true,"
                            "\"failure_action\":\"memory_only\",\"blocks_trading\":false"))
        << h;
    EXPECT_FALSE(contains(h, "switched to memory-only")) << "the refusal's own text is kept";
    ASSERT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    EXPECT_TRUE(contains(health(), "\"accepted_records\":0,")) << "nothing is queued any more";
}

}  // namespace
}  // namespace qx::testing
