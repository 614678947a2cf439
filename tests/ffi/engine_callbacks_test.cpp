// Callback registration and the seven kinds of delivered documents.
#include <gtest/gtest.h>

#include <thread>

#include "adapters/mock_adapter.h"
#include "engine_fixture.h"

namespace qx::testing {
namespace {

class Callbacks : public EngineFixture {
  protected:
    qx_subscription_t* subscribe(const char* venue, const char* symbol, int32_t kind,
                                 Received* into) {
        qx_symbol_ref_t ref{venue, symbol, 5};
        qx_subscription_t* sub = nullptr;
        EXPECT_EQ(qx_subscribe(engine_, &ref, kind, into ? Received::record : nullptr, into, &sub),
                  QX_STATUS_OK);
        subs_.push_back(sub);
        return sub;
    }
    void TearDown() override {
        for (qx_subscription_t* s : subs_) {
            if (s != nullptr) {
                qx_unsubscribe(s);
            }
        }
        EngineFixture::TearDown();
    }
    std::vector<qx_subscription_t*> subs_;
};

TEST_F(Callbacks, KindsFireForTheirInstrumentOnly) {
    Received trades_a, analytics_a, signal_a, other_kind, book_a;
    subscribe("X", "A", QX_CALLBACK_TRADE, &trades_a);
    subscribe("X", "A", QX_CALLBACK_ANALYTICS, &analytics_a);
    subscribe("X", "A", QX_CALLBACK_SIGNAL, &signal_a);
    subscribe("X", "A", 9, &other_kind);
    subscribe("X", "A", QX_CALLBACK_BOOK_UPDATE, &book_a);

    ASSERT_EQ(trade("X", "B", 100, 5, 1), QX_STATUS_OK);
    EXPECT_TRUE(trades_a.calls.empty());
    ASSERT_EQ(analytics_a.calls.size(), 1u);
    EXPECT_EQ(analytics_a.calls[0].json, "{}") << "A has no accumulator yet";
    ASSERT_EQ(signal_a.calls.size(), 1u);
    EXPECT_EQ(signal_a.calls[0].json, "{}");
    ASSERT_EQ(other_kind.calls.size(), 1u);
    EXPECT_EQ(other_kind.calls[0].json, "{}");
    EXPECT_EQ(other_kind.calls[0].ts_exchange_ns, 0u);
    EXPECT_EQ(other_kind.calls[0].kind, 9u);

    ASSERT_EQ(trade("X", "A", 101, 5, 1, 9, kClockSkew, 4000), QX_STATUS_OK);
    ASSERT_EQ(trades_a.calls.size(), 1u);
    const auto& t = trades_a.calls[0];
    EXPECT_EQ(
        t.json,
        R"({"venue":"X","symbol":"A","price":101,"size":5,"aggressor":"Ask","sequence":9,"ts_exchange_ns":4000,"ts_recv_ns":4001})");
    EXPECT_EQ(t.ts_exchange_ns, 4000u);
    EXPECT_EQ(t.ts_recv_ns, 4001u);
    EXPECT_EQ(t.reserved, 1u);
    EXPECT_EQ(t.quality_flags, kClockSkew);
    EXPECT_EQ(t.kind, 2u);
    EXPECT_EQ(
        analytics_a.calls.back().json,
        R"({"delta":5,"cumulative_delta":5,"buy_volume":5,"sell_volume":0,"last_price":101,"point_of_control":101,"value_area_low":101,"value_area_high":101})");
    EXPECT_EQ(
        signal_a.calls.back().json,
        R"({"module":"delta_momentum_v1","state":"neutral","confidence_bps":500,"quality_flags":0,"reason":"delta_inside_band"})");

    ASSERT_EQ(book("X", "A", 1, 0, 102, 7, 0, 3, 0, 900), QX_STATUS_OK);
    ASSERT_EQ(book_a.calls.size(), 1u);
    EXPECT_EQ(
        book_a.calls[0].json,
        R"({"venue":"X","symbol":"A","side":"Ask","level":0,"price":102,"size":7,"action":"Upsert","sequence":3,"ts_exchange_ns":900,"ts_recv_ns":901})");
    EXPECT_EQ(trades_a.calls.size(), 1u) << "a book update delivers no trade callback";
}

TEST_F(Callbacks, PollDeliversBatchInOrderAndDerivedOnce) {
    Received trades, derived, snapshots;
    subscribe("X", "A", QX_CALLBACK_TRADE, &trades);
    subscribe("X", "A", QX_CALLBACK_DERIVED_ANALYTICS, &derived);
    subscribe("X", "A", QX_CALLBACK_BOOK_SNAPSHOT, &snapshots);
    auto& mock = static_cast<MockAdapter&>(engine().adapter_for_testing());
    for (int i = 1; i <= 3; ++i) {
        TradePrint t;
        t.symbol = {"X", "A"};
        t.price = 100 + i;
        t.size = i;
        t.aggressor = Side::Bid;
        t.ts_exchange_ns = 10 * i;
        t.ts_recv_ns = 10 * i + 1;
        mock.queue_event(RawEvent::trade(t));
    }
    ASSERT_EQ(qx_engine_poll_once(engine_, 0), QX_STATUS_OK);
    ASSERT_EQ(trades.calls.size(), 3u);
    EXPECT_NE(trades.calls[0].json.find("\"price\":101"), std::string::npos);
    EXPECT_NE(trades.calls[2].json.find("\"price\":103"), std::string::npos);
    ASSERT_EQ(derived.calls.size(), 1u);
    EXPECT_EQ(derived.calls[0].ts_exchange_ns, 30u);
    EXPECT_EQ(derived.calls[0].ts_recv_ns, 31u);
    EXPECT_EQ(
        derived.calls[0].json,
        R"({"total_volume":6,"trade_count":3,"vwap":102,"average_trade_size":2,"imbalance_bps":-10000})");
    EXPECT_TRUE(snapshots.calls.empty()) << "no book update in the batch";

    BookUpdate u;
    u.symbol = {"X", "A"};
    u.price = 99;
    u.size = 4;
    u.ts_exchange_ns = 77;
    mock.queue_event(RawEvent::book(u));
    u.level = 1;
    u.ts_exchange_ns = 78;
    mock.queue_event(RawEvent::book(u));
    ASSERT_EQ(qx_engine_poll_once(engine_, 0), QX_STATUS_OK);
    ASSERT_EQ(snapshots.calls.size(), 1u);
    EXPECT_EQ(snapshots.calls[0].ts_exchange_ns, 78u);
    EXPECT_NE(snapshots.calls[0].json.find("\"bids\":[{\"level\":0,\"price\":99,\"size\":4},"
                                           "{\"level\":1,\"price\":99,\"size\":4}]"),
              std::string::npos);
    EXPECT_EQ(derived.calls.size(), 1u);
}

TEST_F(Callbacks, HealthIsDeliveredOncePerChange) {
    Received health;
    subscribe("X", "A", QX_CALLBACK_HEALTH, &health);
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    ASSERT_EQ(health.calls.size(), 1u) << "first dispatch: last_health_seq 0 differs";
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    EXPECT_EQ(health.calls.size(), 1u);
    ASSERT_EQ(qx_external_set_reconnecting(engine_, 1), QX_STATUS_OK);
    ASSERT_EQ(health.calls.size(), 2u);
    EXPECT_NE(health.calls[1].json.find("\"reconnect_state\":\"degraded\""), std::string::npos);
    ASSERT_EQ(qx_external_health_tick(engine_), QX_STATUS_OK);
    EXPECT_EQ(health.calls.size(), 2u) << "nothing changed";
}

// A callback that unsubscribes itself and reads the engine while dispatch runs.
struct SelfRemoving {
    qx_subscription_t* handle = nullptr;
    const qx_engine_t* engine = nullptr;
    int calls = 0;
    std::string mid;
    static void on_event(const qx_callback_event_t*, void* user) {
        auto* self = static_cast<SelfRemoving*>(user);
        ++self->calls;
        char buf[64];
        uint32_t len = sizeof buf;
        qx_symbol_ref_t ref{"X", "A", 0};
        if (qx_get_mid_price(self->engine, &ref, buf, &len) == QX_STATUS_OK) {
            self->mid.assign(buf, len);
        }
        qx_unsubscribe(self->handle);
        self->handle = nullptr;
    }
};

TEST_F(Callbacks, UnsubscribeDuringDispatchAndOrderOfOthers) {
    Received first, last;
    subscribe("X", "A", QX_CALLBACK_ANALYTICS, &first);
    SelfRemoving self;
    self.engine = engine_;
    qx_symbol_ref_t ref{"X", "A", 0};
    ASSERT_EQ(qx_subscribe(engine_, &ref, QX_CALLBACK_ANALYTICS, SelfRemoving::on_event, &self,
                           &self.handle),
              QX_STATUS_OK);
    subscribe("X", "A", QX_CALLBACK_ANALYTICS, &last);
    ASSERT_EQ(book("X", "A", 0, 0, 100, 1), QX_STATUS_OK);
    ASSERT_EQ(book("X", "A", 1, 0, 104, 1), QX_STATUS_OK);
    EXPECT_EQ(self.calls, 1);
    EXPECT_EQ(self.mid, "{}");  // the first dispatch ran before the ask existed
    EXPECT_EQ(first.calls.size(), 2u);
    EXPECT_EQ(last.calls.size(), 2u);
    EXPECT_EQ(engine_->subscriptions.size(), 2u) << "the inactive record was purged";

    // A handle released on another thread stops delivery at the next dispatch.
    qx_subscription_t* other = subs_[1];
    subs_[1] = nullptr;
    std::thread([other] { qx_unsubscribe(other); }).join();
    ASSERT_EQ(book("X", "A", 1, 0, 104, 2), QX_STATUS_OK);
    EXPECT_EQ(last.calls.size(), 2u);
    EXPECT_EQ(first.calls.size(), 3u);
}

TEST_F(Callbacks, NullCallbackAndUnsubscribeSymbol) {
    qx_subscription_t* silent = subscribe("X", "A", QX_CALLBACK_TRADE, nullptr);
    ASSERT_NE(silent, nullptr);
    EXPECT_TRUE(engine_->subscriptions.empty());
    Received a, b;
    subscribe("X", "A", QX_CALLBACK_TRADE, &a);
    subscribe("X", "B", QX_CALLBACK_TRADE, &b);
    qx_symbol_ref_t ref{"X", "A", 0};
    ASSERT_EQ(qx_unsubscribe_symbol(engine_, &ref), QX_STATUS_OK);
    ASSERT_EQ(engine_->subscriptions.size(), 1u);
    ASSERT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "B", 100, 1, 1), QX_STATUS_OK);
    EXPECT_TRUE(a.calls.empty());
    EXPECT_EQ(b.calls.size(), 1u);
}

TEST_F(Callbacks, RefusedIngestDeliversNothingAndHandlesOutliveTheEngine) {
    Received r;
    qx_subscription_t* sub = subscribe("X", "A", 9, &r);
    subs_.clear();
    ASSERT_EQ(qx_engine_stop(engine_), QX_STATUS_OK);
    EXPECT_EQ(trade("X", "A", 100, 1, 1), QX_STATUS_REFUSED);
    EXPECT_TRUE(r.calls.empty());
    qx_engine_destroy(engine_);
    engine_ = nullptr;
    EXPECT_EQ(qx_unsubscribe(sub), QX_STATUS_OK);
}

}  // namespace
}  // namespace qx::testing
