// Every engine export given NULL pointers, invalid UTF-8, out-of-range enumerations or too
// small buffers returns its documented status and leaves the engine as it was.
#include <gtest/gtest.h>

#include <functional>

#include "engine_fixture.h"

namespace qx::testing {
namespace {

using BadInput = EngineFixture;

TEST_F(BadInput, EveryExportRejectsWithoutChangingTheEngine) {
    ASSERT_EQ(book("X", "Y", 0, 0, 100, 5), QX_STATUS_OK);
    ASSERT_EQ(trade("X", "Y", 100, 5, 1), QX_STATUS_OK);
    const std::string before = metrics();
    const std::size_t audit_lines = read_lines(audit_path()).size();

    const qx_symbol_ref_t good{"X", "Y", 0};
    const qx_symbol_ref_t null_symbol{"X", nullptr, 0};
    const qx_symbol_ref_t null_venue{nullptr, "Y", 0};
    const qx_symbol_ref_t bad_utf8{"X", "Y\xff", 0};
    char buf[512];
    uint32_t len = sizeof buf;
    char* out = nullptr;
    uint32_t out_len = 0;
    qx_subscription_t* sub = nullptr;
    const qx_trade_t trade_bad_side{good, 100, 1, 2, 0, 0, 0};
    const qx_trade_t trade_bad_symbol{bad_utf8, 100, 1, 1, 0, 0, 0};
    const qx_book_update_t book_bad_action{good, 1, 0, 100, 1, 2, 0, 0, 0};
    const qx_book_update_t book_bad_side{good, 2, 0, 100, 1, 0, 0, 0, 0};
    const qx_book_update_t book_null_symbol{null_symbol, 0, 0, 100, 1, 0, 0, 0, 0};
    const qx_external_feed_config_t feed{1, 1};
    qx_engine_t* e = engine_;

    struct Case {
        const char* name;
        std::function<qx_status_t()> call;
        qx_status_t expected;
    };
    const Case cases[] = {
        {"create NULL config",
         [&] {
             qx_engine_t* x = nullptr;
             return qx_engine_create(nullptr, &x);
         },
         1},
        {"create NULL out",
         [&] {
             qx_engine_config_t c{};
             return qx_engine_create(&c, nullptr);
         },
         1},
        {"start NULL", [&] { return qx_engine_start(nullptr); }, 1},
        {"stop NULL", [&] { return qx_engine_stop(nullptr); }, 1},
        {"poll NULL", [&] { return qx_engine_poll_once(nullptr, 0); }, 1},
        {"trade NULL engine",
         [&] {
             const qx_trade_t t{good, 1, 1, 1, 0, 0, 0};
             return qx_ingest_trade(nullptr, &t, 0);
         },
         1},
        {"trade NULL record", [&] { return qx_ingest_trade(e, nullptr, 0); }, 1},
        {"trade aggressor 2", [&] { return qx_ingest_trade(e, &trade_bad_side, 0); }, 1},
        {"trade bad UTF-8", [&] { return qx_ingest_trade(e, &trade_bad_symbol, 0); }, 1},
        {"book NULL record", [&] { return qx_ingest_book(e, nullptr, 0); }, 1},
        {"book action 2", [&] { return qx_ingest_book(e, &book_bad_action, 0); }, 1},
        {"book side 2", [&] { return qx_ingest_book(e, &book_bad_side, 0); }, 1},
        {"book NULL symbol text", [&] { return qx_ingest_book(e, &book_null_symbol, 0); }, 1},
        {"subscribe NULL engine",
         [&] { return qx_subscribe(nullptr, &good, 1, nullptr, nullptr, &sub); }, 1},
        {"subscribe NULL symbol",
         [&] { return qx_subscribe(e, nullptr, 1, nullptr, nullptr, &sub); }, 1},
        {"subscribe NULL out", [&] { return qx_subscribe(e, &good, 1, nullptr, nullptr, nullptr); },
         1},
        {"subscribe bad UTF-8",
         [&] { return qx_subscribe(e, &bad_utf8, 1, nullptr, nullptr, &sub); }, 1},
        {"unsubscribe NULL", [&] { return qx_unsubscribe(nullptr); }, 1},
        {"unsubscribe_symbol NULL", [&] { return qx_unsubscribe_symbol(e, nullptr); }, 1},
        {"unsubscribe_symbol NULL venue", [&] { return qx_unsubscribe_symbol(e, &null_venue); }, 1},
        {"reset NULL engine", [&] { return qx_reset_symbol_session(nullptr, &good); }, 1},
        {"reset bad UTF-8", [&] { return qx_reset_symbol_session(e, &bad_utf8); }, 1},
        {"feed NULL config", [&] { return qx_configure_external_feed(e, nullptr); }, 1},
        {"feed NULL engine", [&] { return qx_configure_external_feed(nullptr, &feed); }, 1},
        {"tick NULL", [&] { return qx_external_health_tick(nullptr); }, 1},
        {"reconnecting NULL", [&] { return qx_external_set_reconnecting(nullptr, 1); }, 1},
        {"analytics config NULL engine",
         [&] { return qx_engine_set_analytics_config(nullptr, nullptr); }, 1},
        {"mid NULL engine", [&] { return qx_get_mid_price(nullptr, &good, buf, &len); }, 1},
        {"mid NULL symbol", [&] { return qx_get_mid_price(e, nullptr, buf, &len); }, 1},
        {"mid NULL symbol text", [&] { return qx_get_mid_price(e, &null_symbol, buf, &len); }, 1},
        {"mid NULL buffer", [&] { return qx_get_mid_price(e, &good, nullptr, &len); }, 1},
        {"mid NULL length", [&] { return qx_get_mid_price(e, &good, buf, nullptr); }, 1},
        {"book snapshot too small",
         [&] {
             uint32_t l = 3;
             return qx_get_book_snapshot(e, &good, buf, &l);
         },
         1},
        {"book analytics bad UTF-8",
         [&] { return qx_get_book_analytics_snapshot(e, &bad_utf8, buf, &len); }, 1},
        {"lob NULL buffer",
         [&] { return qx_compute_lob_features(e, &good, nullptr, &len, 0, 0, 0); }, 1},
        {"slope too small",
         [&] {
             uint32_t l = 0;
             return qx_compute_depth_slope(e, &good, 2, buf, &l);
         },
         1},
        {"wap NULL engine",
         [&] { return qx_compute_weighted_average_price(nullptr, &good, 1, buf, &len); }, 1},
        {"analytics NULL length", [&] { return qx_get_analytics_snapshot(e, &good, buf, nullptr); },
         1},
        {"derived bad UTF-8",
         [&] { return qx_get_derived_analytics_snapshot(e, &bad_utf8, buf, &len); }, 1},
        {"session candle NULL symbol",
         [&] { return qx_get_session_candle_snapshot(e, nullptr, buf, &len); }, 1},
        {"interval candle too small",
         [&] {
             uint32_t l = 1;
             return qx_get_interval_candle_snapshot(e, &good, 5, buf, &l);
         },
         1},
        {"signal snapshot NULL buffer",
         [&] { return qx_get_signal_snapshot(e, &good, nullptr, &len); }, 1},
        {"explanation NULL out",
         [&] { return qx_get_signal_explanation_json(e, &good, nullptr, &out_len); }, 1},
        {"explanation NULL length",
         [&] { return qx_get_signal_explanation_json(e, &good, &out, nullptr); }, 1},
        {"explanation bad UTF-8",
         [&] { return qx_get_signal_explanation_json(e, &bad_utf8, &out, &out_len); }, 1},
        {"signal metrics NULL engine",
         [&] { return qx_get_signal_metrics_json(nullptr, &out, &out_len); }, 1},
        {"metrics NULL out", [&] { return qx_get_metrics_json(e, nullptr, &out_len); }, 1},
        {"adapter status NULL length",
         [&] { return qx_get_active_adapter_status_json(e, &out, nullptr); }, 1},
        {"bar series NULL length", [&] { return qx_get_bar_series(e, &good, buf, nullptr); }, 1},
        {"tickbar NULL", [&] { return qx_engine_set_tickbar_interval(nullptr, 1); }, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.name;
    }
    EXPECT_EQ(out, nullptr) << "no out-parameter written on failure";
    EXPECT_EQ(sub, nullptr);
    EXPECT_EQ(metrics(), before);
    EXPECT_EQ(read_lines(audit_path()).size(), audit_lines);
    qx_engine_destroy(nullptr);
}

}  // namespace
}  // namespace qx::testing
