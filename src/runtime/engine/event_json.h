// JSON documents of single market events, as delivered to trade and book-update callbacks.
#pragma once

#include <string>

#include "core/market_data.h"

namespace qx {

// {"venue":V,"symbol":Y,"price":P,"size":S,"aggressor":"Bid"|"Ask","sequence":N,
//  "ts_exchange_ns":N,"ts_recv_ns":N}
void append_trade_json(std::string& out, const TradePrint& trade);

// {"venue":V,"symbol":Y,"side":"Bid"|"Ask","level":L,"price":P,"size":S,
//  "action":"Upsert"|"Delete","sequence":N,"ts_exchange_ns":N,"ts_recv_ns":N}
void append_book_update_json(std::string& out, const BookUpdate& update);

}  // namespace qx
