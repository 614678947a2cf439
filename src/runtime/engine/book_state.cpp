#include "runtime/engine/book_state.h"

#include <algorithm>

#include "support/json_writer.h"

namespace qx {

void BookState::on_book(const BookUpdate& update) {
    std::vector<BookLevel>& side = update.side == Side::Bid ? bids_ : asks_;
    const auto it =
        std::lower_bound(side.begin(), side.end(), update.level,
                         [](const BookLevel& l, std::uint16_t level) { return l.level < level; });
    const bool found = it != side.end() && it->level == update.level;
    if (update.action == BookAction::Delete) {
        if (found) {
            side.erase(it);
        }
    } else if (found) {
        it->price = update.price;
        it->size = update.size;
    } else {
        side.insert(it, BookLevel{update.level, update.price, update.size});
    }
    last_sequence_ = update.sequence;
    ts_exchange_ns_ = update.ts_exchange_ns;
    ts_recv_ns_ = update.ts_recv_ns;
}

BookSnapshot BookState::snapshot(const SymbolId& symbol) const {
    return BookSnapshot{symbol, bids_, asks_, last_sequence_, ts_exchange_ns_, ts_recv_ns_};
}

namespace {

void write_levels(JsonWriter& w, const std::vector<BookLevel>& levels) {
    w.begin_array();
    for (const BookLevel& l : levels) {
        w.begin_object();
        w.key("level").u64(l.level);
        w.key("price").i64(l.price);
        w.key("size").i64(l.size);
        w.end_object();
    }
    w.end_array();
}

}  // namespace

void append_book_snapshot_json(std::string& out, SymbolView symbol, const BookState& book) {
    JsonWriter w(out);
    w.begin_object();
    w.key("venue").string(symbol.venue);
    w.key("symbol").string(symbol.symbol);
    w.key("bids");
    write_levels(w, book.bids());
    w.key("asks");
    write_levels(w, book.asks());
    w.key("last_sequence").u64(book.last_sequence());
    w.key("ts_exchange_ns").u64(book.ts_exchange_ns());
    w.key("ts_recv_ns").u64(book.ts_recv_ns());
    w.end_object();
}

std::string format_book_snapshot(SymbolView symbol, const BookState& book) {
    std::string out;
    out.reserve(128 + 48 * (book.bids().size() + book.asks().size()));
    append_book_snapshot_json(out, symbol, book);
    return out;
}

}  // namespace qx
