// Per-instrument queries into caller buffers: book, book computations, trade flow and signal.
#include <string>

#include "core/book_analytics.h"
#include "ffi/support/delivery.h"
#include "ffi/support/engine_handle.h"
#include "ffi/support/guard.h"
#include "ffi/support/text_args.h"
#include "qx/qx.h"
#include "runtime/engine/trade_flow_json.h"
#include "support/json_writer.h"

namespace {

using qx::InstrumentState;
using qx::JsonWriter;

// The common frame: check the pointers, resolve the symbol without copying it, look the
// instrument up (nullptr when unknown), build the text, deliver it into the buffer.
template <typename Build>
qx_status_t query(const qx_engine_t* engine, const qx_symbol_ref_t* symbol, void* buf,
                  uint32_t* len, Build&& build) {
    return qx::ffi::guarded([&]() -> qx_status_t {
        if (engine == nullptr || symbol == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        const auto view = qx::ffi::symbol_view_from_ffi_ref(symbol);
        if (!view) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        if (buf == nullptr || len == nullptr) {
            return QX_STATUS_INVALID_ARGUMENT;
        }
        std::string text;
        build(engine->engine->find(view->id), view->id, text);
        return qx::ffi::deliver_to_buffer(text, buf, len);
    });
}

// A trade-flow query: "{}" without an accumulator, otherwise `write(accumulator, out)`.
template <typename Write>
qx_status_t accumulator_query(const qx_engine_t* engine, const qx_symbol_ref_t* symbol, void* buf,
                              uint32_t* len, Write&& write) {
    return query(engine, symbol, buf, len,
                 [&](const InstrumentState* s, qx::SymbolView, std::string& out) {
                     if (s == nullptr || !s->accumulator) {
                         out = "{}";
                         return;
                     }
                     write(*s->accumulator, out);
                 });
}

void write_lob_features(std::string& out, const qx::LobFeatures& f) {
    JsonWriter w(out);
    w.begin_object();
    const std::pair<const char*, double> fields[] = {
        {"spread_bps", f.spread_bps},
        {"depth_imbalance", f.depth_imbalance},
        {"microprice", f.microprice},
        {"depth_slope", f.depth_slope},
        {"order_intensity", f.order_intensity},
        {"price_pressure_1", f.price_pressure_1},
        {"price_pressure_5", f.price_pressure_5},
        {"price_pressure_10", f.price_pressure_10},
        {"bid_ask_ratio_1", f.bid_ask_ratio_1},
        {"bid_ask_ratio_5", f.bid_ask_ratio_5},
        {"bid_ask_ratio_10", f.bid_ask_ratio_10},
        {"weighted_spread", f.weighted_spread},
        {"volume_concentration", f.volume_concentration},
        {"cancel_intensity", f.cancel_intensity},
        {"arrival_intensity", f.arrival_intensity},
        {"trade_flow_imbalance", f.trade_flow_imbalance},
    };
    for (const auto& [key, value] : fields) {
        w.key(key).f64_fixed(value, 4);
    }
    w.end_object();
}

}  // namespace

extern "C" {

QX_API qx_status_t qx_get_mid_price(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                    void* buf, uint32_t* len) {
    return query(
        engine, symbol, buf, len, [](const InstrumentState* s, qx::SymbolView, std::string& out) {
            if (s == nullptr || !s->book || s->book->bids().empty() || s->book->asks().empty()) {
                out = "{}";
                return;
            }
            // Added in 128 bits so the sum cannot overflow; halving truncates.
            const __int128 sum = static_cast<__int128>(s->book->best_bid()) +
                                 static_cast<__int128>(s->book->best_ask());
            JsonWriter w(out);
            w.begin_object().key("mid").i64(static_cast<int64_t>(sum / 2)).end_object();
        });
}

QX_API qx_status_t qx_get_book_snapshot(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                        void* buf, uint32_t* len) {
    return query(engine, symbol, buf, len,
                 [](const InstrumentState* s, qx::SymbolView id, std::string& out) {
                     if (s == nullptr || !s->book) {
                         out = "{}";
                         return;
                     }
                     qx::append_book_snapshot_json(out, id, *s->book);
                 });
}

QX_API qx_status_t qx_get_book_analytics_snapshot(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, void* buf,
                                                  uint32_t* len) {
    return query(engine, symbol, buf, len,
                 [](const InstrumentState* s, qx::SymbolView, std::string& out) {
                     if (s == nullptr || !s->book) {
                         out = "{}";
                         return;
                     }
                     const qx::BookAnalytics a = qx::compute_book_analytics(s->book->sides());
                     JsonWriter w(out);
                     w.begin_object();
                     w.key("best_bid").i64(a.best_bid);
                     w.key("best_ask").i64(a.best_ask);
                     w.key("quoted_spread").i64(a.quoted_spread);
                     w.key("relative_spread_bps").i64(a.relative_spread_bps);
                     w.key("microprice").i64(a.microprice);
                     w.key("bid_depth").i64(a.bid_depth);
                     w.key("ask_depth").i64(a.ask_depth);
                     w.key("depth_imbalance_bps").i64(a.depth_imbalance_bps);
                     w.end_object();
                 });
}

QX_API qx_status_t qx_compute_lob_features(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                           void* buf, uint32_t* len, double trade_flow_imbalance,
                                           double cancel_intensity, double arrival_intensity) {
    return query(engine, symbol, buf, len,
                 [&](const InstrumentState* s, qx::SymbolView, std::string& out) {
                     // Without a book every value is 0; the caller's values are not echoed.
                     const qx::LobFeatures f =
                         (s == nullptr || !s->book)
                             ? qx::LobFeatures{}
                             : qx::compute_lob_features(s->book->sides(), trade_flow_imbalance,
                                                        cancel_intensity, arrival_intensity);
                     write_lob_features(out, f);
                 });
}

QX_API qx_status_t qx_compute_depth_slope(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                          uint32_t levels, void* buf, uint32_t* len) {
    return query(engine, symbol, buf, len,
                 [&](const InstrumentState* s, qx::SymbolView, std::string& out) {
                     const double slope = (s == nullptr || !s->book)
                                              ? 0.0
                                              : qx::compute_depth_slope(s->book->sides(), levels);
                     JsonWriter w(out);
                     w.begin_object().key("slope").f64_fixed(slope, 4).end_object();
                 });
}

QX_API qx_status_t qx_compute_weighted_average_price(const qx_engine_t* engine,
                                                     const qx_symbol_ref_t* symbol,
                                                     int64_t quantity, void* buf, uint32_t* len) {
    return query(
        engine, symbol, buf, len, [&](const InstrumentState* s, qx::SymbolView, std::string& out) {
            const auto price = (s == nullptr || !s->book)
                                   ? std::nullopt
                                   : qx::compute_weighted_average_price(s->book->sides(), quantity);
            if (!price) {
                out = "{}";
                return;
            }
            JsonWriter w(out);
            w.begin_object().key("price").i64(*price).end_object();
        });
}

QX_API qx_status_t qx_get_analytics_snapshot(const qx_engine_t* engine,
                                             const qx_symbol_ref_t* symbol, void* buf,
                                             uint32_t* len) {
    return accumulator_query(engine, symbol, buf, len,
                             [](const qx::AnalyticsAccumulator& a, std::string& out) {
                                 qx::append_analytics_snapshot_json(out, a.snapshot());
                             });
}

QX_API qx_status_t qx_get_derived_analytics_snapshot(const qx_engine_t* engine,
                                                     const qx_symbol_ref_t* symbol, void* buf,
                                                     uint32_t* len) {
    return accumulator_query(engine, symbol, buf, len,
                             [](const qx::AnalyticsAccumulator& a, std::string& out) {
                                 qx::append_derived_analytics_json_doc(out, a.derived_analytics());
                             });
}

QX_API qx_status_t qx_get_session_candle_snapshot(const qx_engine_t* engine,
                                                  const qx_symbol_ref_t* symbol, void* buf,
                                                  uint32_t* len) {
    return accumulator_query(engine, symbol, buf, len,
                             [](const qx::AnalyticsAccumulator& a, std::string& out) {
                                 qx::append_session_candle_json(out, a.session_candle());
                             });
}

QX_API qx_status_t qx_get_interval_candle_snapshot(const qx_engine_t* engine,
                                                   const qx_symbol_ref_t* symbol,
                                                   uint64_t window_ns, void* buf, uint32_t* len) {
    return accumulator_query(
        engine, symbol, buf, len, [&](const qx::AnalyticsAccumulator& a, std::string& out) {
            qx::append_interval_candle_json(out, a.interval_candle_snapshot(window_ns));
        });
}

QX_API qx_status_t qx_get_signal_snapshot(const qx_engine_t* engine, const qx_symbol_ref_t* symbol,
                                          void* buf, uint32_t* len) {
    return query(engine, symbol, buf, len,
                 [](const InstrumentState* s, qx::SymbolView, std::string& out) {
                     if (s == nullptr || !s->signal) {
                         out = "{}";
                         return;
                     }
                     qx::append_signal_snapshot_json(out, *s->signal);
                 });
}

}  // extern "C"
