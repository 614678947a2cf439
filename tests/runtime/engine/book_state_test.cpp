#include <gtest/gtest.h>

#include "core/book_analytics.h"
#include "runtime/engine/book_state.h"

namespace qx {
namespace {

BookUpdate update(Side side, std::uint16_t level, std::int64_t price, std::int64_t size,
                  BookAction action = BookAction::Upsert, std::uint64_t seq = 0) {
    BookUpdate u;
    u.symbol = {"X", "Y"};
    u.side = side;
    u.level = level;
    u.price = price;
    u.size = size;
    u.action = action;
    u.sequence = seq;
    u.ts_exchange_ns = seq * 10;
    u.ts_recv_ns = seq * 10 + 1;
    return u;
}

TEST(BookState, KeyedByLevelIndexInAscendingOrder) {
    BookState book;
    book.on_book(update(Side::Bid, 2, 98, 7, BookAction::Upsert, 1));
    book.on_book(update(Side::Bid, 0, 100, 5, BookAction::Upsert, 2));
    book.on_book(update(Side::Ask, 0, 101, 0, BookAction::Upsert, 3));  // size 0 is stored
    EXPECT_EQ(book.best_bid(), 100);
    EXPECT_EQ(book.best_ask(), 101);
    ASSERT_EQ(book.bids().size(), 2u);
    EXPECT_EQ(book.bids()[0], (BookLevel{0, 100, 5}));
    EXPECT_EQ(book.bids()[1], (BookLevel{2, 98, 7}));

    book.on_book(update(Side::Bid, 0, 99, 9, BookAction::Upsert, 4));  // replace
    EXPECT_EQ(book.bids()[0], (BookLevel{0, 99, 9}));

    // A delete of a missing level still moves the sequence and timestamps.
    book.on_book(update(Side::Ask, 5, 0, 0, BookAction::Delete, 5));
    EXPECT_EQ(book.asks().size(), 1u);
    EXPECT_EQ(book.last_sequence(), 5u);
    EXPECT_EQ(book.ts_exchange_ns(), 50u);
    EXPECT_EQ(book.ts_recv_ns(), 51u);

    book.on_book(update(Side::Bid, 0, 0, 0, BookAction::Delete, 6));
    EXPECT_EQ(book.best_bid(), 98) << "the lowest remaining index is the best bid";

    const BookSnapshot snap = book.snapshot({"X", "Y"});
    EXPECT_EQ(snap.bids, book.bids());
    EXPECT_EQ(snap.last_sequence, 6u);
}

TEST(BookState, SnapshotJson) {
    BookState book;
    EXPECT_EQ(
        format_book_snapshot({"X", "Y"}, book),
        R"({"venue":"X","symbol":"Y","bids":[],"asks":[],"last_sequence":0,"ts_exchange_ns":0,"ts_recv_ns":0})");
    BookUpdate u = update(Side::Bid, 0, 100, 5, BookAction::Upsert, 7);
    u.ts_exchange_ns = 1;
    u.ts_recv_ns = 2;
    book.on_book(u);
    EXPECT_EQ(
        format_book_snapshot({"X", "Y"}, book),
        R"({"venue":"X","symbol":"Y","bids":[{"level":0,"price":100,"size":5}],"asks":[],"last_sequence":7,"ts_exchange_ns":1,"ts_recv_ns":2})");
    book.on_book(update(Side::Bid, 3, 97, -1));
    book.on_book(update(Side::Ask, 1, 102, 4));
    EXPECT_EQ(
        format_book_snapshot({"V\"\\", "S\f"}, book),
        R"({"venue":"V\"\\","symbol":"S\u000c","bids":[{"level":0,"price":100,"size":5},{"level":3,"price":97,"size":-1}],"asks":[{"level":1,"price":102,"size":4}],"last_sequence":0,"ts_exchange_ns":0,"ts_recv_ns":1})");
}

TEST(BookState, SidesFeedTheBookComputations) {
    BookState book;
    book.on_book(update(Side::Ask, 0, 100, 4));
    book.on_book(update(Side::Ask, 1, 101, 10));
    EXPECT_EQ(compute_weighted_average_price(book.sides(), 10), 100);
    EXPECT_FALSE(compute_weighted_average_price(book.sides(), 20));
}

}  // namespace
}  // namespace qx
