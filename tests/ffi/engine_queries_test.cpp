// Book and trade-flow queries, analytics configuration and the placeholders.
#include <gtest/gtest.h>

#include <cstring>

#include "engine_fixture.h"

namespace qx::testing {
namespace {

class Queries : public EngineFixture {
  protected:
    qx_symbol_ref_t ref_{"X", "Y", 0};
    std::string mid() {
        return query([&](void* b, uint32_t* l) { return qx_get_mid_price(engine_, &ref_, b, l); });
    }
};

TEST_F(Queries, MidPrice) {
    EXPECT_EQ(mid(), "{}") << "unknown instrument";
    ASSERT_EQ(book("X", "Y", 0, 0, 101, 5), QX_STATUS_OK);
    EXPECT_EQ(mid(), "{}") << "bids but no asks";
    ASSERT_EQ(book("X", "Y", 1, 0, 104, 5), QX_STATUS_OK);
    EXPECT_EQ(mid(), R"({"mid":102})");
    ASSERT_EQ(book("X", "Y", 0, 0, -3, 5), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 1, 0, 0, 5), QX_STATUS_OK);
    EXPECT_EQ(mid(), R"({"mid":-1})") << "truncation toward zero";
    ASSERT_EQ(book("X", "Y", 0, 0, INT64_MAX, 5), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 1, 0, INT64_MAX, 5), QX_STATUS_OK);
    EXPECT_EQ(mid(), R"({"mid":9223372036854775807})") << "the sum does not overflow";
}

TEST_F(Queries, CallerBufferProtocol) {
    ASSERT_EQ(book("X", "Y", 0, 0, 101, 5), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 1, 0, 103, 5), QX_STATUS_OK);
    char buf[64];
    uint32_t len = 7;
    EXPECT_EQ(qx_get_mid_price(engine_, &ref_, nullptr, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(len, 7u);
    len = 0;
    EXPECT_EQ(qx_get_mid_price(engine_, &ref_, buf, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(len, 11u);
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(qx_get_mid_price(engine_, &ref_, buf, &len), QX_STATUS_OK);
    EXPECT_EQ(std::string(buf, len), R"({"mid":102})");
    EXPECT_EQ(buf[len], '#');
}

TEST_F(Queries, BookComputationsWithAndWithoutBook) {
    auto lob = [&](double a, double b, double c) {
        return query([&](void* p, uint32_t* l) {
            return qx_compute_lob_features(engine_, &ref_, p, l, a, b, c);
        });
    };
    auto slope = [&](uint32_t levels) {
        return query([&](void* p, uint32_t* l) {
            return qx_compute_depth_slope(engine_, &ref_, levels, p, l);
        });
    };
    auto wap = [&](int64_t q) {
        return query([&](void* p, uint32_t* l) {
            return qx_compute_weighted_average_price(engine_, &ref_, q, p, l);
        });
    };
    auto analytics = [&] {
        return query([&](void* p, uint32_t* l) {
            return qx_get_book_analytics_snapshot(engine_, &ref_, p, l);
        });
    };
    EXPECT_EQ(
        lob(1.5, 2.5, 3.5),
        R"({"spread_bps":0.0000,"depth_imbalance":0.0000,"microprice":0.0000,"depth_slope":0.0000,"order_intensity":0.0000,"price_pressure_1":0.0000,"price_pressure_5":0.0000,"price_pressure_10":0.0000,"bid_ask_ratio_1":0.0000,"bid_ask_ratio_5":0.0000,"bid_ask_ratio_10":0.0000,"weighted_spread":0.0000,"volume_concentration":0.0000,"cancel_intensity":0.0000,"arrival_intensity":0.0000,"trade_flow_imbalance":0.0000})");
    EXPECT_EQ(slope(5), R"({"slope":0.0000})");
    EXPECT_EQ(wap(1), "{}");
    EXPECT_EQ(analytics(), "{}");

    ASSERT_EQ(book("X", "Y", 0, 0, 99, 10), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 0, 1, 98, 6), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 1, 0, 100, 4), QX_STATUS_OK);
    ASSERT_EQ(book("X", "Y", 1, 1, 101, 10), QX_STATUS_OK);
    EXPECT_EQ(
        analytics(),
        R"({"best_bid":99,"best_ask":100,"quoted_spread":1,"relative_spread_bps":101,"microprice":99,"bid_depth":16,"ask_depth":14,"depth_imbalance_bps":666})");
    EXPECT_EQ(wap(10), R"({"price":100})");
    EXPECT_EQ(wap(20), "{}");
    EXPECT_EQ(slope(1), R"({"slope":0.0000})");
    EXPECT_EQ(slope(2), R"({"slope":-0.5000})");
    EXPECT_NE(lob(0.25, 0, 0).find("\"trade_flow_imbalance\":0.2500"), std::string::npos);

    // All levels deleted: the book exists but is empty.
    for (uint32_t side : {0u, 1u}) {
        for (uint16_t level : {0, 1}) {
            ASSERT_EQ(book("X", "Y", side, level, 0, 0, 1), QX_STATUS_OK);
        }
    }
    EXPECT_EQ(
        analytics(),
        R"({"best_bid":0,"best_ask":0,"quoted_spread":0,"relative_spread_bps":0,"microprice":0,"bid_depth":0,"ask_depth":0,"depth_imbalance_bps":0})");
    EXPECT_EQ(wap(1), "{}");
}

TEST_F(Queries, TradeFlowDocuments) {
    auto get = [&](auto fn) {
        return query([&](void* p, uint32_t* l) { return fn(engine_, &ref_, p, l); });
    };
    EXPECT_EQ(get(qx_get_session_candle_snapshot), "{}");
    EXPECT_EQ(get(qx_get_analytics_snapshot), "{}");
    EXPECT_EQ(get(qx_get_derived_analytics_snapshot), "{}");
    ASSERT_EQ(trade("X", "Y", 100, 5, 1, 0, 0, 1000), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "Y", 104, 3, 0, 0, 0, 3000), QX_STATUS_OK);
    EXPECT_EQ(
        get(qx_get_session_candle_snapshot),
        R"({"open":100,"high":104,"low":100,"close":104,"trade_count":2,"first_ts_exchange_ns":1000,"last_ts_exchange_ns":3000})");
    const std::string interval = query([&](void* p, uint32_t* l) {
        return qx_get_interval_candle_snapshot(engine_, &ref_, 1000, p, l);
    });
    EXPECT_EQ(interval.rfind("{\"window_ns\":1000,", 0), 0u) << interval;
}

TEST_F(Queries, AnalyticsConfigurationIsSanitisedAndReplacedWhole) {
    qx_analytics_config_t c{};
    c.vpin_bucket_volume = 0;
    c.spread_window = 4000000;
    c.institutional_min_size = -1;
    c.book_event_window_ns = 7;
    ASSERT_EQ(qx_engine_set_analytics_config(engine_, &c), QX_STATUS_OK);
    EXPECT_EQ(engine().analytics_config().vpin_bucket_volume, 1u);
    EXPECT_EQ(engine().analytics_config().spread_window, 1000000u);
    EXPECT_EQ(engine().analytics_config().institutional_min_size, -1);
    EXPECT_EQ(engine().analytics_config().book_event_window_ns, 7u);
    EXPECT_EQ(engine().analytics_config().kyle_window, 0u);
    ASSERT_EQ(qx_engine_set_analytics_config(engine_, nullptr), QX_STATUS_OK);
    EXPECT_EQ(engine().analytics_config(), AnalyticsConfig{});
    EXPECT_EQ(qx_engine_set_analytics_config(nullptr, &c), QX_STATUS_INVALID_ARGUMENT);
}

TEST_F(Queries, Placeholders) {
    char buf[8] = "keep";
    uint32_t len = 5;
    EXPECT_EQ(qx_get_bar_series(engine_, &ref_, buf, &len), QX_STATUS_REFUSED);
    EXPECT_EQ(len, 5u);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(qx_get_bar_series(engine_, &ref_, nullptr, &len), QX_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(qx_engine_set_tickbar_interval(engine_, 5), QX_STATUS_REFUSED);
    EXPECT_EQ(qx_engine_set_tickbar_interval(nullptr, 5), QX_STATUS_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace qx::testing
