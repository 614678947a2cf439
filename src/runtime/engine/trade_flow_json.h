// JSON documents of the trade-flow accumulator and the signal snapshot (integers in decimal,
// texts escaped, keys in fixed order).
#pragma once

#include <string>

#include "core/analytics_accumulator.h"
#include "signals/signal_snapshot.h"

namespace qx {

// delta, cumulative_delta, buy_volume, sell_volume, last_price, point_of_control,
// value_area_low, value_area_high
void append_analytics_snapshot_json(std::string& out, const AnalyticsSnapshot& s);
// total_volume, trade_count, vwap, average_trade_size, imbalance_bps
void append_derived_analytics_json_doc(std::string& out, const DerivedAnalytics& d);
// open, high, low, close, trade_count, first_ts_exchange_ns, last_ts_exchange_ns
void append_session_candle_json(std::string& out, const SessionCandle& c);
// window_ns, open, high, low, close, trade_count, total_volume, vwap, first_ts_exchange_ns,
// last_ts_exchange_ns
void append_interval_candle_json(std::string& out, const IntervalCandle& c);
// module, state, confidence_bps, quality_flags, reason
void append_signal_snapshot_json(std::string& out, const SignalSnapshot& s);

}  // namespace qx
