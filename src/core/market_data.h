// The market-data model shared by the book, the analytics and the signals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// A borrowed view of an instrument's texts; used to look state up without copying.
struct SymbolView {
    std::string_view venue;
    std::string_view symbol;
};

// An instrument: venue and symbol texts, compared byte for byte (case-sensitive, untrimmed).
struct SymbolId {
    std::string venue;
    std::string symbol;

    SymbolView view() const noexcept { return {venue, symbol}; }
    static SymbolId from(SymbolView v) { return {std::string(v.venue), std::string(v.symbol)}; }

    friend bool operator==(const SymbolId&, const SymbolId&) = default;
};

inline bool operator==(const SymbolView& a, const SymbolView& b) noexcept {
    return a.venue == b.venue && a.symbol == b.symbol;
}

// Transparent hash and equality so maps keyed by SymbolId accept a SymbolView for lookups.
struct SymbolIdHash {
    using is_transparent = void;
    std::size_t operator()(SymbolView v) const noexcept {
        const std::size_t h1 = std::hash<std::string_view>{}(v.venue);
        const std::size_t h2 = std::hash<std::string_view>{}(v.symbol);
        return h1 ^ (h2 + 0x9e3779b97f4a7c15ULL + (h1 << 6) + (h1 >> 2));
    }
    std::size_t operator()(const SymbolId& s) const noexcept { return (*this)(s.view()); }
};

struct SymbolIdEq {
    using is_transparent = void;
    bool operator()(SymbolView a, SymbolView b) const noexcept { return a == b; }
    bool operator()(const SymbolId& a, const SymbolId& b) const noexcept { return a == b; }
    bool operator()(const SymbolId& a, SymbolView b) const noexcept { return a.view() == b; }
    bool operator()(SymbolView a, const SymbolId& b) const noexcept { return a == b.view(); }
};

enum class Side : std::uint8_t { Bid = 0, Ask = 1 };
enum class BookAction : std::uint8_t { Upsert = 0, Delete = 1 };

constexpr std::string_view side_text(Side s) noexcept {
    return s == Side::Bid ? "Bid" : "Ask";
}
constexpr std::string_view book_action_text(BookAction a) noexcept {
    return a == BookAction::Upsert ? "Upsert" : "Delete";
}

// One price level of one side; level 0 is the top of the book.
struct BookLevel {
    std::uint16_t level = 0;
    std::int64_t price = 0;
    std::int64_t size = 0;

    friend bool operator==(const BookLevel&, const BookLevel&) = default;
};

// One trade. An Ask aggressor is a buy; a Bid aggressor is a sell.
struct TradePrint {
    SymbolId symbol;
    std::int64_t price = 0;
    std::int64_t size = 0;
    Side aggressor = Side::Bid;
    std::uint64_t sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
};

// One change to one level of one side.
struct BookUpdate {
    SymbolId symbol;
    Side side = Side::Bid;
    std::uint16_t level = 0;
    std::int64_t price = 0;
    std::int64_t size = 0;
    BookAction action = BookAction::Upsert;
    std::uint64_t sequence = 0;
    std::uint64_t ts_exchange_ns = 0;
    std::uint64_t ts_recv_ns = 0;
};

// Read-only view of a book's two sides, each ordered by ascending level; element 0 is the best
// price whatever its level number. This is all the book computations read.
struct BookSides {
    const std::vector<BookLevel>& bids;
    const std::vector<BookLevel>& asks;
};

}  // namespace qx
