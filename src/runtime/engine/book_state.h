// The order book of one instrument, keyed by level index (not by price): level 0 is the top of
// its side and the best price of a side is the entry with the lowest level index. Prices and
// sizes are stored as given; nothing checks ordering, signs or crossing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/market_data.h"

namespace qx {

struct BookSnapshot {
    SymbolId symbol;
    std::vector<BookLevel> bids;
    std::vector<BookLevel> asks;
    std::uint64_t last_sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
};

class BookState {
  public:
    // Upsert inserts or replaces the level; Delete removes it if present. The sequence and both
    // timestamps are taken from the update in every case.
    void on_book(const BookUpdate& update);

    BookSnapshot snapshot(const SymbolId& symbol) const;

    // Both sides in ascending level order, without copying.
    BookSides sides() const noexcept { return {bids_, asks_}; }
    const std::vector<BookLevel>& bids() const noexcept { return bids_; }
    const std::vector<BookLevel>& asks() const noexcept { return asks_; }

    std::uint64_t last_sequence() const noexcept { return last_sequence_; }
    std::uint64_t ts_exchange_ns() const noexcept { return ts_exchange_ns_; }
    std::uint64_t ts_recv_ns() const noexcept { return ts_recv_ns_; }

    // Price of the lowest-index level of a side, or 0 when the side is empty.
    std::int64_t best_bid() const noexcept { return bids_.empty() ? 0 : bids_.front().price; }
    std::int64_t best_ask() const noexcept { return asks_.empty() ? 0 : asks_.front().price; }

  private:
    // Each side is kept sorted by level index; books are shallow, so a sorted array beats a
    // node-based map for both updates and the per-trade walks.
    std::vector<BookLevel> bids_;
    std::vector<BookLevel> asks_;
    std::uint64_t last_sequence_ = 0;
    std::uint64_t ts_exchange_ns_ = 0;
    std::uint64_t ts_recv_ns_ = 0;
};

// {"venue":..,"symbol":..,"bids":[{"level":L,"price":P,"size":S},..],"asks":[..],
//  "last_sequence":N,"ts_exchange_ns":N,"ts_recv_ns":N}
void append_book_snapshot_json(std::string& out, SymbolView symbol, const BookState& book);
std::string format_book_snapshot(SymbolView symbol, const BookState& book);

}  // namespace qx
