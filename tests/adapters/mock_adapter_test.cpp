// The mock adapter's state machine, its operational status and adapter creation.
#include <gtest/gtest.h>

#include <vector>

#include "adapters/adapter_factory.h"
#include "adapters/mock_adapter.h"

namespace qx {
namespace {

SubscribeReq req(const char* venue, const char* symbol, std::uint16_t depth = 10) {
    return SubscribeReq{SymbolId{venue, symbol}, depth};
}

TradePrint trade(std::uint64_t seq) {
    TradePrint t;
    t.symbol = {"X", "Y"};
    t.price = 100;
    t.size = 1;
    t.sequence = seq;
    return t;
}

TEST(MockAdapter, EverythingButConnectHealthAndStatusNeedsAConnection) {
    MockAdapter m;
    std::vector<RawEvent> out;
    EXPECT_EQ(m.subscribe(req("a", "x")).error(), AdapterError::disconnected());
    EXPECT_EQ(m.unsubscribe(SymbolId{"a", "x"}).error(), AdapterError::disconnected());
    EXPECT_EQ(m.poll(out).error(), AdapterError::disconnected());
    EXPECT_EQ(AdapterError::disconnected().display(), "adapter disconnected");

    const MarketDataAdapterHealth h = m.health();
    EXPECT_FALSE(h.connected);
    EXPECT_FALSE(h.degraded);
    EXPECT_FALSE(h.last_error);
    EXPECT_EQ(h.protocol_info, "mock_adapter");
    EXPECT_EQ(m.operational_status().connection_state, AdapterConnectionState::Disconnected);

    ASSERT_TRUE(m.connect());
    ASSERT_TRUE(m.connect()) << "connecting twice is fine";
    EXPECT_TRUE(m.health().connected);
    EXPECT_TRUE(m.subscribe(req("a", "x")));
    EXPECT_TRUE(m.unsubscribe(SymbolId{"z", "z"})) << "no match is not an error";
    EXPECT_EQ(*m.poll(out), 0u);
    EXPECT_TRUE(out.empty());
}

TEST(MockAdapter, StatusListsDistinctSymbolsSortedAndUnsubscribeRemovesAllRepeats) {
    MockAdapter m;
    ASSERT_TRUE(m.connect());
    ASSERT_TRUE(m.subscribe(req("b", "x")));
    ASSERT_TRUE(m.subscribe(req("a", "y")));
    ASSERT_TRUE(m.subscribe(req("a", "x", 5)));
    ASSERT_TRUE(m.subscribe(req("a", "x", 20)));
    ASSERT_TRUE(m.subscribe(req("a", "xa")));
    ASSERT_TRUE(m.subscribe(req("\xc3\xa9", "x")));
    ASSERT_TRUE(m.subscribe(req("B", "x")));
    EXPECT_EQ(m.subscriptions().size(), 7u) << "repeats are kept in the subscription list";

    AdapterOperationalStatus s = m.operational_status();
    EXPECT_EQ(s.mode, AdapterMode::Mock);
    EXPECT_EQ(s.connection_state, AdapterConnectionState::Streaming);
    const std::vector<SymbolId> expected = {{"B", "x"}, {"a", "x"}, {"a", "xa"},
                                            {"a", "y"}, {"b", "x"}, {"\xc3\xa9", "x"}};
    EXPECT_EQ(s.subscribed_symbols, expected) << "byte order: upper case, prefixes, non-ASCII";
    EXPECT_EQ(s.subscription_count, 6u);
    EXPECT_FALSE(s.endpoint_redacted);
    EXPECT_FALSE(s.app_name);
    EXPECT_FALSE(s.queue_capacity);
    EXPECT_FALSE(s.last_message_age_ms);
    EXPECT_FALSE(s.last_market_data_age_ms);
    EXPECT_EQ(s.reconnect_attempt, 0u);
    EXPECT_EQ(s.dropped_events + s.gap_count + s.raw_capture_depth + s.raw_capture_capacity, 0u);
    EXPECT_FALSE(s.stale || s.raw_capture_enabled);

    ASSERT_TRUE(m.unsubscribe(SymbolId{"a", "x"}));
    EXPECT_EQ(m.subscriptions().size(), 5u) << "both subscriptions of a/x are gone";
    EXPECT_EQ(m.operational_status().subscription_count, 5u);
}

TEST(MockAdapter, QueuedEventsArePolledOnceInOrder) {
    MockAdapter m;
    m.queue_event(RawEvent::trade(trade(1)));
    BookUpdate u;
    u.symbol = {"X", "Y"};
    u.sequence = 2;
    m.queue_event(RawEvent::book(u));
    m.queue_event(RawEvent::trade(trade(3)));
    EXPECT_EQ(m.operational_status().queue_depth, 3u);

    std::vector<RawEvent> out;
    ASSERT_FALSE(m.poll(out)) << "queued events wait for a connection";
    ASSERT_TRUE(m.connect());
    out.push_back(RawEvent::trade(trade(0)));
    const auto n = m.poll(out);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 3u);
    ASSERT_EQ(out.size(), 4u) << "events are appended after what the caller holds";
    EXPECT_EQ(out[1].kind(), 1);
    EXPECT_EQ(out[1].as_trade()->sequence, 1u);
    EXPECT_EQ(out[2].kind(), 0);
    EXPECT_EQ(out[2].as_book()->sequence, 2u);
    EXPECT_EQ(out[3].as_trade()->sequence, 3u);
    EXPECT_EQ(m.operational_status().queue_depth, 0u);
    EXPECT_EQ(*m.poll(out), 0u);
}

TEST(CreateAdapter, MockIsBuiltAndVenueProvidersAreFeatureDisabled) {
    AdapterConfig config;
    config.endpoint = "tcp://ignored";
    auto mock = create_adapter(config);
    ASSERT_TRUE(mock);
    ASSERT_NE(*mock, nullptr);
    EXPECT_FALSE((*mock)->health().connected);
    EXPECT_EQ((*mock)->operational_status().subscription_count, 0u);
    EXPECT_NE(dynamic_cast<MockAdapter*>(mock->get()), nullptr);

    for (const ProviderKind p : {ProviderKind::Rithmic, ProviderKind::Cqg, ProviderKind::Binance}) {
        config.provider = p;
        const auto r = create_adapter(config);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, AdapterErrorKind::FeatureDisabled);
        const std::string text = r.error().display();
        EXPECT_EQ(text.rfind("adapter feature disabled: ", 0), 0u) << text;
        EXPECT_NE(text.find("'" + std::string(provider_keyword(p)) + "' feature"),
                  std::string::npos)
            << text;
    }
}

TEST(AdapterErrors, DisplayTexts) {
    EXPECT_EQ(AdapterError::misconfigured("no host").display(), "adapter misconfigured: no host");
    EXPECT_EQ(AdapterError::other("boom").display(), "adapter error: boom");
    EXPECT_EQ(AdapterError::feature_disabled("x").display(), "adapter feature disabled: x");
}

}  // namespace
}  // namespace qx
