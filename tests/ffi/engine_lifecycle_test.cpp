// Engine creation from records and files, start and stop, ingest, sequence and staleness flags,
// the signal quality gate and session reset.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine_fixture.h"
#include "ffi/support/engine_config_record.h"

namespace qx::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(EngineCreate, ZeroedRecordUsesBuiltInSettings) {
    const qx_test::ScratchDir scratch;
    const std::string& dir = scratch.path();
    char old_cwd[4096];
    ASSERT_NE(::getcwd(old_cwd, sizeof old_cwd), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    qx_engine_config_t config{};
    qx_engine_t* engine = nullptr;
    ASSERT_EQ(qx_engine_create(&config, &engine), QX_STATUS_OK);
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/audit"));
    const Engine& e = *engine->engine;
    EXPECT_EQ(e.config().instance_id, "default");
    EXPECT_EQ(e.config().audit_log_path, "audit/quorix_audit.log");
    EXPECT_EQ(e.config().data_retention_max_bytes, 10485760u);
    EXPECT_EQ(e.config().data_retention_max_age_secs, 604800u);
    EXPECT_FALSE(e.has_rolling_store());
    EXPECT_EQ(qx_engine_start(engine), QX_STATUS_OK);
    qx_engine_destroy(engine);
    EXPECT_TRUE(std::filesystem::exists(dir + "/audit/quorix_audit.log"));
    ASSERT_EQ(::chdir(old_cwd), 0);
}

TEST(EngineCreate, RecordOverridesAndFailures) {
    const qx_test::ScratchDir scratch;
    const std::string& dir = scratch.path();
    const std::string path = dir + "/c.toml";
    std::ofstream(path) << "instance_id = \"file\"\nenable_persistence = true\naudit_log_path = \""
                        << dir << "/a.log\"\ndata_root = \"" << dir
                        << "/data\"\ndata_retention_max_bytes = 1000\n";
    qx_engine_config_t config{};
    config.config_path = path.c_str();
    config.instance_id = "   ";  // blank: absent
    config.audit_redact_tokens = " , ,";
    config.audit_max_files = 9;
    qx_engine_t* engine = nullptr;
    ASSERT_EQ(qx_engine_create(&config, &engine), QX_STATUS_OK);
    EXPECT_EQ(engine->engine->config().instance_id, "file");
    EXPECT_FALSE(engine->engine->has_rolling_store()) << "the record's 0 turns persistence off";
    EXPECT_EQ(engine->engine->config().audit_max_files, 9u);
    EXPECT_EQ(engine->engine->config().audit_redact_tokens,
              (std::vector<std::string>{"secret", "password", "token", "api_key"}));
    qx_engine_destroy(engine);

    config.audit_redact_tokens = "alpha, beta";
    config.instance_id = " ab ";
    config.enable_persistence = 1;
    ASSERT_EQ(qx_engine_create(&config, &engine), QX_STATUS_OK);
    EXPECT_EQ(engine->engine->config().audit_redact_tokens,
              (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(engine->engine->config().instance_id, " ab ");
    EXPECT_TRUE(engine->engine->has_rolling_store());
    qx_engine_destroy(engine);

    engine = nullptr;
    const std::string missing = dir + "/missing.toml";
    config.config_path = missing.c_str();
    EXPECT_EQ(qx_engine_create(&config, &engine), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(engine, nullptr);

    const std::string invalid = dir + "/bad.json";
    std::ofstream(invalid) << "{\"signal_threshold\":0,\"audit_log_path\":\"" << dir << "/b.log\"}";
    config.config_path = invalid.c_str();
    EXPECT_EQ(qx_engine_create(&config, &engine), QX_STATUS_REFUSED);
    EXPECT_EQ(engine, nullptr);
}

TEST(EngineCreate, RedactTokenSplit) {
    EXPECT_EQ(ffi::split_redact_tokens("a, b ,,c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(ffi::split_redact_tokens(" , , ").empty());
    EXPECT_EQ(ffi::split_redact_tokens("x"), (std::vector<std::string>{"x"}));
}

class StoppedEngine : public EngineFixture {
  protected:
    bool start_engine() const override { return false; }
};

TEST_F(StoppedEngine, IngestAndPollNeedStart) {
    Received received;
    qx_symbol_ref_t ref{"X", "Y", 0};
    qx_subscription_t* sub = nullptr;
    // The mock adapter accepts subscriptions only while connected.
    EXPECT_EQ(qx_subscribe(engine_, &ref, QX_CALLBACK_TRADE, Received::record, &received, &sub),
              QX_STATUS_REFUSED);
    EXPECT_EQ(sub, nullptr);
    ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
    ASSERT_EQ(qx_subscribe(engine_, &ref, QX_CALLBACK_TRADE, Received::record, &received, &sub),
              QX_STATUS_OK);
    ASSERT_EQ(qx_engine_stop(engine_), QX_STATUS_OK);
    EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_engine_poll_once(engine_, 0), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_external_health_tick(engine_), QX_STATUS_REFUSED);
    const qx_external_feed_config_t feed{0, 1};
    EXPECT_EQ(qx_configure_external_feed(engine_, &feed), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_external_set_reconnecting(engine_, 1), QX_STATUS_REFUSED);
    EXPECT_TRUE(received.calls.empty());
    EXPECT_EQ(engine().processed_events(), 0u);
    ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
    EXPECT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(received.calls.size(), 1u);
    qx_unsubscribe(sub);
}

TEST_F(StoppedEngine, StartAndStopWriteAuditEvents) {
    ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
    ASSERT_EQ(qx_engine_stop(engine_), QX_STATUS_OK);
    ASSERT_EQ(qx_engine_stop(engine_), QX_STATUS_OK);
    const auto lines = read_lines(audit_path());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(contains(lines[0], "\"event\":\"engine_started\""));
    EXPECT_TRUE(contains(lines[0], "\"instance_id\":\"test\",\"config_hash\":\""));
    EXPECT_TRUE(contains(lines[1], "\"event\":\"engine_stopping\""));
    EXPECT_TRUE(contains(lines[1], "{\"draining\":true}"));
    EXPECT_TRUE(contains(lines[2], "{\"processed_events\":0}"));
    EXPECT_TRUE(contains(lines[3], "engine_stopping"));
    EXPECT_TRUE(contains(lines[4], "engine_stopped"));
}

using EngineIngest = EngineFixture;

TEST_F(EngineIngest, TradeSequenceFlags) {
    const uint64_t sequences[] = {5, 6, 8, 8, 7, 9};
    const QualityFlags expected[] = {0, 0, kSequenceGap, kOutOfOrder, kOutOfOrder, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_EQ(trade("X", "Y", 100, 1, 1, sequences[i]), QX_STATUS_OK);
        EXPECT_EQ(engine().current_flags(), expected[i]) << "event " << i;
    }
    EXPECT_EQ(*engine().find({"X", "Y"})->trade_sequence, 9u);
    // Book sequences are checked on their own; 0 is never checked or stored.
    ASSERT_EQ(book("X", "Y", 0, 0, 99, 1, 0, 3), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u);
    ASSERT_EQ(trade("X", "Y", 100, 1, 1, 0), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u);
    EXPECT_TRUE(contains(metrics(),
                         "\"external_trade_sequence_symbols\":1,"
                         "\"external_book_sequence_symbols\":1"));
}

TEST_F(EngineIngest, StalenessUsesTheWallClockBetweenPushes) {
    uint64_t now = 1'000'000'000'000;
    engine().set_clock_for_testing([&] { return now; });
    ASSERT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u) << "the first pushed event is never stale";
    now += 15'000'000'000;  // exactly the limit
    ASSERT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u);
    now += 15'001'000'000;
    ASSERT_EQ(trade("X", "Y", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), kStaleFeed);

    // The health tick reports staleness without a new event; 0 disables the check.
    now += 20'000'000'000;
    ASSERT_EQ(qx_external_health_tick(engine_), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), kStaleFeed);
    const qx_external_feed_config_t off{0, 1};
    ASSERT_EQ(qx_configure_external_feed(engine_, &off), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u);
    ASSERT_EQ(qx_external_set_reconnecting(engine_, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), kAdapterDegraded);
    ASSERT_EQ(trade("X", "Y", 100, 1, 1, 0, kClockSkew), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), kAdapterDegraded | kClockSkew);
}

TEST_F(EngineIngest, QualityGateBlocksTheSignalAndAudits) {
    ASSERT_EQ(trade("X", "Y", 100, 5, 1, 0, kClockSkew), QX_STATUS_OK);
    qx_symbol_ref_t ref{"X", "Y", 0};
    auto snapshot = [&] {
        return query(
            [&](void* b, uint32_t* l) { return qx_get_signal_snapshot(engine_, &ref, b, l); });
    };
    EXPECT_EQ(
        snapshot(),
        R"({"module":"delta_momentum_v1","state":"neutral","confidence_bps":500,"quality_flags":0,"reason":"delta_inside_band"})");

    ASSERT_EQ(trade("X", "Y", 100, 5, 1, 0, kStaleFeed | kClockSkew), QX_STATUS_OK);
    EXPECT_EQ(
        snapshot(),
        R"({"module":"delta_momentum_v1","state":"blocked","confidence_bps":500,"quality_flags":5,"reason":"blocked_by_quality_gate"})");
    EXPECT_EQ(
        returned([&](char** o, uint32_t* l) {
            return qx_get_signal_explanation_json(engine_, &ref, o, l);
        }),
        R"({"module_id":"delta_momentum_v1","state":"blocked","confidence_bps":500,"quality_flags":5,"reason_code":"quality_blocked","reason":"blocked_by_quality_gate","inputs":[],"thresholds":[],"confidence_components":[]})");
    const auto lines = read_lines(audit_path());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(contains(lines.back(), "\"event\":\"signal_blocked\""));
    EXPECT_TRUE(contains(lines.back(), "{\"venue\":\"X\",\"symbol\":\"Y\",\"quality_flags\":5}"));
}

TEST_F(EngineIngest, TradeWithoutBookCreatesOnlyTradeFlowState) {
    ASSERT_EQ(trade("X", "T", 100, 5, 1), QX_STATUS_OK);
    const InstrumentState* s = engine().find({"X", "T"});
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->book);
    EXPECT_FALSE(s->classifier);
    EXPECT_TRUE(s->accumulator);
    EXPECT_TRUE(s->signal);
    EXPECT_TRUE(s->explanation);
    ASSERT_EQ(book("X", "T", 0, 0, 99, 5), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "T", 100, 5, 1), QX_STATUS_OK);
    EXPECT_TRUE(s->classifier) << "trades on an instrument with a book are classified";
    EXPECT_TRUE(contains(metrics(),
                         "\"processed_events\":3,\"symbols\":1,\"book_symbols\":1,"
                         "\"analytics_symbols\":1,\"signal_symbols\":1"));
}

TEST_F(EngineIngest, SessionResetClearsOnlyTheTradeFlow) {
    ASSERT_EQ(book("X", "Y", 0, 0, 99, 5), QX_STATUS_OK);
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(trade("X", "Y", 100, 10, 1), QX_STATUS_OK);
    }
    qx_symbol_ref_t ref{"X", "Y", 0};
    EXPECT_TRUE(contains(
        query([&](void* b, uint32_t* l) { return qx_get_signal_snapshot(engine_, &ref, b, l); }),
        "long_bias"));
    ASSERT_EQ(qx_reset_symbol_session(engine_, &ref), QX_STATUS_OK);
    EXPECT_EQ(
        query([&](void* b, uint32_t* l) { return qx_get_analytics_snapshot(engine_, &ref, b, l); }),
        R"({"delta":0,"cumulative_delta":0,"buy_volume":0,"sell_volume":0,"last_price":0,"point_of_control":0,"value_area_low":0,"value_area_high":0})");
    EXPECT_TRUE(contains(
        query([&](void* b, uint32_t* l) { return qx_get_signal_snapshot(engine_, &ref, b, l); }),
        "\"state\":\"neutral\""));
    EXPECT_TRUE(contains(
        query([&](void* b, uint32_t* l) { return qx_get_book_snapshot(engine_, &ref, b, l); }),
        "\"price\":99"));
    qx_symbol_ref_t unknown{"X", "never", 0};
    EXPECT_EQ(qx_reset_symbol_session(engine_, &unknown), QX_STATUS_OK);
    EXPECT_TRUE(contains(read_lines(audit_path()).back(), "session_reset"));
}

}  // namespace
}  // namespace qx::testing
