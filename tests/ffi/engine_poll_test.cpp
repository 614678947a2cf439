// The poll loop: backpressure, the circuit breaker, and the health sequence and documents.
#include <gtest/gtest.h>

#include <cstdlib>

#include "adapters/mock_adapter.h"
#include "engine_fixture.h"

namespace qx::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TradePrint make_trade(const char* symbol, int64_t price) {
    TradePrint t;
    t.symbol = {"X", symbol};
    t.price = price;
    t.size = 1;
    t.aggressor = Side::Ask;
    return t;
}

class Backpressure : public EngineFixture {
  protected:
    void SetUp() override {
        ::setenv("QX_RUNTIME_MAX_EVENTS_PER_POLL", " 2 ", 1);
        EngineFixture::SetUp();
        ::unsetenv("QX_RUNTIME_MAX_EVENTS_PER_POLL");
    }
};

TEST_F(Backpressure, KeepsTheOldestEventsAndReportsStatus5) {
    Received trades;
    qx_symbol_ref_t ref{"X", "A", 0};
    qx_subscription_t* sub = nullptr;
    ASSERT_EQ(qx_subscribe(engine_, &ref, QX_CALLBACK_TRADE, Received::record, &trades, &sub),
              QX_STATUS_OK);
    auto& mock = static_cast<MockAdapter&>(engine().adapter_for_testing());
    for (int i = 1; i <= 5; ++i) {
        mock.queue_event(RawEvent::trade(make_trade("A", 100 + i)));
    }
    EXPECT_EQ(qx_engine_poll_once(engine_, 0), QX_STATUS_CAPACITY);
    ASSERT_EQ(trades.calls.size(), 2u);
    EXPECT_TRUE(contains(trades.calls[0].json, "\"price\":101"));
    EXPECT_TRUE(contains(trades.calls[1].json, "\"price\":102"));
    EXPECT_EQ(trades.calls[0].quality_flags, kAdapterDegraded);
    EXPECT_EQ(engine().dropped_events(), 3u);
    EXPECT_EQ(engine().processed_events(), 2u);
    EXPECT_TRUE(contains(read_lines(audit_path()).back(),
                         "{\"drained_events\":5,\"processed_events\":2,\"dropped_events\":3,"
                         "\"max_events_per_poll\":2}"));
    const std::string m = metrics();
    EXPECT_TRUE(contains(m, "\"max_events_per_poll\":2,\"backpressure_dropped_events\":3"));
    // Within the limit the poll is clean again.
    mock.queue_event(RawEvent::trade(make_trade("A", 110)));
    EXPECT_EQ(qx_engine_poll_once(engine_, 0), QX_STATUS_OK);
    EXPECT_EQ(engine().current_flags(), 0u);
    qx_unsubscribe(sub);
}

// An adapter whose polls fail while `failing` is set.
class FlakyAdapter final : public MarketDataAdapter {
  public:
    bool failing = true;
    int polls = 0;
    Expected<void, AdapterError> connect() override {
        connected_ = true;
        return {};
    }
    Expected<void, AdapterError> subscribe(const SubscribeReq&) override { return {}; }
    Expected<void, AdapterError> unsubscribe(const SymbolId&) override { return {}; }
    Expected<std::size_t, AdapterError> poll(std::vector<RawEvent>&) override {
        ++polls;
        if (failing) {
            return Unexpected(AdapterError::other("feed down"));
        }
        return std::size_t{0};
    }
    MarketDataAdapterHealth health() const override { return {connected_, false, {}, {}}; }
    AdapterOperationalStatus operational_status() const override { return {}; }

  private:
    bool connected_ = false;
};

class Breaker : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES", "3", 1);
        ::setenv("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS", "1000", 1);
        auto adapter = std::make_unique<FlakyAdapter>();
        adapter_ = adapter.get();
        EngineConfig config;
        config.audit_log_path = dir_ + "/audit.log";
        auto built = Engine::build_with_adapter(
            config, AuditLog(config.audit_log_path, {}, 1 << 20, 2), std::move(adapter), nullptr);
        ::unsetenv("QX_RUNTIME_CIRCUIT_BREAKER_FAILURES");
        ::unsetenv("QX_RUNTIME_CIRCUIT_BREAKER_COOLDOWN_MS");
        ASSERT_TRUE(built);
        handle_ = new qx_engine;
        handle_->engine = std::move(*built);
        handle_->engine->set_clock_for_testing([this] { return now_; });
        ASSERT_EQ(qx_engine_start(handle_), QX_STATUS_OK);
    }
    void TearDown() override { qx_engine_destroy(handle_); }
    qx_test::ScratchDir scratch_;
    std::string dir_ = scratch_.path();
    FlakyAdapter* adapter_ = nullptr;
    qx_engine_t* handle_ = nullptr;
    uint64_t now_ = 5'000'000'000;
};

TEST_F(Breaker, OpensRefusesReopensAndCloses) {
    const CircuitBreakerState& b = handle_->engine->circuit_breaker();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(qx_engine_poll_once(handle_, 0), QX_STATUS_REFUSED);
    }
    EXPECT_EQ(b.opened_count, 1u);
    EXPECT_EQ(handle_->engine->current_flags(), kAdapterDegraded);
    EXPECT_EQ(qx_engine_poll_once(handle_, 0), QX_STATUS_REFUSED);
    EXPECT_EQ(adapter_->polls, 3) << "an open breaker does not poll";
    const std::string status = handle_->engine->adapter_status_json();
    EXPECT_TRUE(contains(status, "\"healthy\":false"));
    EXPECT_TRUE(contains(status, "\"circuit_breaker_open\":true"));

    now_ += 1'000'000'000;  // cool-down over: half-open
    EXPECT_EQ(qx_engine_poll_once(handle_, 0), QX_STATUS_REFUSED);
    EXPECT_EQ(b.opened_count, 2u) << "a half-open failure reopens at once";
    EXPECT_EQ(adapter_->polls, 4);

    now_ += 1'000'000'000;
    adapter_->failing = false;
    EXPECT_EQ(qx_engine_poll_once(handle_, 0), QX_STATUS_OK);
    EXPECT_FALSE(b.open);
    EXPECT_EQ(b.consecutive_failures, 0u);
    EXPECT_EQ(handle_->engine->current_flags(), 0u);
}

TEST(BreakerDisabled, FailuresNeverOpenIt) {
    auto adapter = std::make_unique<FlakyAdapter>();
    const qx_test::ScratchDir scratch;
    const std::string& dir = scratch.path();
    auto built = Engine::build_with_adapter(EngineConfig{}, AuditLog(dir + "/a.log", {}, 1000, 1),
                                            std::move(adapter), nullptr);
    ASSERT_TRUE(built);
    Engine& e = **built;
    ASSERT_TRUE(e.start());
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(e.poll_once(0));
    }
    EXPECT_FALSE(e.circuit_breaker().open);
    EXPECT_EQ(e.circuit_breaker().consecutive_failures, 0u);
}

class Health : public EngineFixture {
  protected:
    bool start_engine() const override { return false; }
};

TEST_F(Health, SequenceAndStatusFollowTheFingerprint) {
    EXPECT_TRUE(contains(metrics(), "\"health_seq\":0,"));
    EXPECT_TRUE(contains(metrics(), "\"runtime_health_status\":\"disconnected\""));
    EXPECT_TRUE(contains(metrics(), "\"adapter_healthy_count\":0"));
    EXPECT_TRUE(contains(engine().health_json(), "\"reconnect_state\":\"disconnected\""));
    ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
    EXPECT_EQ(engine().health_seq(), 1u);
    EXPECT_TRUE(contains(metrics(), "\"runtime_health_status\":\"healthy\""));
    ASSERT_EQ(trade("X", "A", 100, 1, 1, 0, kClockSkew), QX_STATUS_OK);
    EXPECT_EQ(engine().health_seq(), 2u);
    EXPECT_TRUE(contains(metrics(), "\"runtime_health_status\":\"degraded\""));
    EXPECT_TRUE(
        contains(metrics(), "\"quality_flags\":4,\"quality_flags_detail\":[\"CLOCK_SKEW\"]"));
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().health_seq(), 3u);
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(engine().health_seq(), 3u);
    ASSERT_EQ(trade("X", "A", 100, 1, 1, 0, 64), QX_STATUS_OK);
    EXPECT_TRUE(contains(metrics(), "\"quality_flags\":64,\"quality_flags_detail\":[]"));
}

TEST_F(Health, DocumentsHaveTheirShape) {
    ASSERT_EQ(qx_engine_start(engine_), QX_STATUS_OK);
    qx_symbol_ref_t a{"X", "A", 3}, b{"X", "B", 3};
    qx_subscription_t* s1 = nullptr;
    qx_subscription_t* s2 = nullptr;
    qx_subscription_t* s3 = nullptr;
    ASSERT_EQ(qx_subscribe(engine_, &a, 1, nullptr, nullptr, &s1), QX_STATUS_OK);
    ASSERT_EQ(qx_subscribe(engine_, &b, 1, nullptr, nullptr, &s2), QX_STATUS_OK);
    ASSERT_EQ(qx_subscribe(engine_, &a, 2, nullptr, nullptr, &s3), QX_STATUS_OK);
    ASSERT_EQ(book("X", "A", 0, 0, 100, 1), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "B", 100, 1, 1, 0, kAdapterDegraded), QX_STATUS_OK);

    const std::string status = returned(
        [&](char** o, uint32_t* l) { return qx_get_active_adapter_status_json(engine_, o, l); });
    EXPECT_EQ(status.rfind("{\"schema_version\":1,\"provider\":\"mock\",", 0), 0u) << status;
    EXPECT_TRUE(contains(status, "\"mode\":\"mock\",\"connection_state\":\"streaming\""));
    EXPECT_TRUE(contains(status,
                         "\"subscription_count\":2,\"subscribed_symbols\":[{\"venue\":\"X\","
                         "\"symbol\":\"A\"},{\"venue\":\"X\",\"symbol\":\"B\"}]"));
    EXPECT_TRUE(contains(status, "\"endpoint_redacted\":null,\"app_name\":null"));
    EXPECT_TRUE(contains(status, "\"active\":true"));

    const std::string m = metrics();
    EXPECT_EQ(m.rfind("{\"instance_id\":\"test\",\"started\":true,\"processed_events\":3,"
                      "\"symbols\":2,\"book_symbols\":1,\"analytics_symbols\":2,"
                      "\"signal_symbols\":2,\"persistence\":false,\"market_data_persistence\":"
                      "{\"schema_version\":1,\"mode\":\"disabled\",",
                      0),
              0u)
        << m;
    EXPECT_TRUE(contains(m, "\"adapters\":[{\"schema_version\":1,"));

    const std::string signals =
        returned([&](char** o, uint32_t* l) { return qx_get_signal_metrics_json(engine_, o, l); });
    EXPECT_EQ(
        signals,
        R"({"schema_version":1,"signal_symbols":2,"explanation_symbols":2,"neutral":1,"long_bias":0,"short_bias":0,"blocked":1,"directional":0,"quality_flagged":1,"average_confidence_bps":500,"last_quality_flags":32,"latest_explanation_coverage_bps":10000})");
    const std::string health = engine().health_json();
    EXPECT_EQ(health.rfind("{\"health_seq\":", 0), 0u);
    EXPECT_TRUE(contains(health,
                         "\"tracked_symbols\":2,\"processed_events\":3,"
                         "\"adapter_total_count\":1,\"adapter_healthy_count\":1,"
                         "\"runtime_health_status\":\"degraded\""));
    EXPECT_TRUE(contains(health,
                         "\"market_data_persistence\":{\"schema_version\":1,"
                         "\"mode\":\"disabled\",\"enabled\":false,\"degraded\":false,"
                         "\"memory_only\":false,\"failure_action\":\"mark_degraded\","
                         "\"blocks_trading\":false,\"accepted_records\":0,"));
    EXPECT_TRUE(contains(health,
                         "\"last_written_sequence\":null,\"last_durable_sequence\":null,"
                         "\"last_error\":null}}"));
    for (auto* s : {s1, s2, s3}) {
        qx_unsubscribe(s);
    }
}

TEST(SignalMetrics, FreshEngineCountsNothing) {
    const qx_test::ScratchDir scratch;
    const std::string& dir = scratch.path();
    auto built = Engine::build_with_adapter(EngineConfig{}, AuditLog(dir + "/a.log", {}, 1000, 1),
                                            std::make_unique<MockAdapter>(), nullptr);
    ASSERT_TRUE(built);
    EXPECT_EQ(
        (*built)->signal_metrics_json(),
        R"({"schema_version":1,"signal_symbols":0,"explanation_symbols":0,"neutral":0,"long_bias":0,"short_bias":0,"blocked":0,"directional":0,"quality_flagged":0,"average_confidence_bps":0,"last_quality_flags":0,"latest_explanation_coverage_bps":0})");
}

}  // namespace
}  // namespace qx::testing
