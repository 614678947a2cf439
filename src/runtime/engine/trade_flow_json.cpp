#include "runtime/engine/trade_flow_json.h"

#include "support/json_writer.h"

namespace qx {

void append_analytics_snapshot_json(std::string& out, const AnalyticsSnapshot& s) {
    JsonWriter w(out);
    w.begin_object();
    w.key("delta").i64(s.delta);
    w.key("cumulative_delta").i64(s.cumulative_delta);
    w.key("buy_volume").i64(s.buy_volume);
    w.key("sell_volume").i64(s.sell_volume);
    w.key("last_price").i64(s.last_price);
    w.key("point_of_control").i64(s.point_of_control);
    w.key("value_area_low").i64(s.value_area_low);
    w.key("value_area_high").i64(s.value_area_high);
    w.end_object();
}

void append_derived_analytics_json_doc(std::string& out, const DerivedAnalytics& d) {
    JsonWriter w(out);
    w.begin_object();
    w.key("total_volume").i64(d.total_volume);
    w.key("trade_count").u64(d.trade_count);
    w.key("vwap").i64(d.vwap);
    w.key("average_trade_size").i64(d.average_trade_size);
    w.key("imbalance_bps").i64(d.imbalance_bps);
    w.end_object();
}

void append_session_candle_json(std::string& out, const SessionCandle& c) {
    JsonWriter w(out);
    w.begin_object();
    w.key("open").i64(c.open);
    w.key("high").i64(c.high);
    w.key("low").i64(c.low);
    w.key("close").i64(c.close);
    w.key("trade_count").u64(c.trade_count);
    w.key("first_ts_exchange_ns").u64(c.first_ts_exchange_ns);
    w.key("last_ts_exchange_ns").u64(c.last_ts_exchange_ns);
    w.end_object();
}

void append_interval_candle_json(std::string& out, const IntervalCandle& c) {
    JsonWriter w(out);
    w.begin_object();
    w.key("window_ns").u64(c.window_ns);
    w.key("open").i64(c.open);
    w.key("high").i64(c.high);
    w.key("low").i64(c.low);
    w.key("close").i64(c.close);
    w.key("trade_count").u64(c.trade_count);
    w.key("total_volume").i64(c.total_volume);
    w.key("vwap").i64(c.vwap);
    w.key("first_ts_exchange_ns").u64(c.first_ts_exchange_ns);
    w.key("last_ts_exchange_ns").u64(c.last_ts_exchange_ns);
    w.end_object();
}

void append_signal_snapshot_json(std::string& out, const SignalSnapshot& s) {
    JsonWriter w(out);
    w.begin_object();
    w.key("module").string(s.module);
    w.key("state").string(signal_state_text(s.state));
    w.key("confidence_bps").u64(s.confidence_bps);
    w.key("quality_flags").u64(s.quality_flags);
    w.key("reason").string(s.reason);
    w.end_object();
}

}  // namespace qx
