#include "runtime/engine/event_json.h"

#include "support/json_writer.h"

namespace qx {

void append_trade_json(std::string& out, const TradePrint& t) {
    JsonWriter w(out);
    w.begin_object();
    w.key("venue").string(t.symbol.venue);
    w.key("symbol").string(t.symbol.symbol);
    w.key("price").i64(t.price);
    w.key("size").i64(t.size);
    w.key("aggressor").raw(t.aggressor == Side::Ask ? "\"Ask\"" : "\"Bid\"");
    w.key("sequence").u64(t.sequence);
    w.key("ts_exchange_ns").u64(t.ts_exchange_ns);
    w.key("ts_recv_ns").u64(t.ts_recv_ns);
    w.end_object();
}

void append_book_update_json(std::string& out, const BookUpdate& u) {
    JsonWriter w(out);
    w.begin_object();
    w.key("venue").string(u.symbol.venue);
    w.key("symbol").string(u.symbol.symbol);
    w.key("side").raw(u.side == Side::Ask ? "\"Ask\"" : "\"Bid\"");
    w.key("level").u64(u.level);
    w.key("price").i64(u.price);
    w.key("size").i64(u.size);
    w.key("action").raw(u.action == BookAction::Delete ? "\"Delete\"" : "\"Upsert\"");
    w.key("sequence").u64(u.sequence);
    w.key("ts_exchange_ns").u64(u.ts_exchange_ns);
    w.key("ts_recv_ns").u64(u.ts_recv_ns);
    w.end_object();
}

}  // namespace qx
