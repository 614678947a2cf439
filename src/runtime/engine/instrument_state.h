// Everything the engine keeps for one instrument, found with a single hash lookup per event.
//
// Each member is one of the engine's per-instrument entries; an absent member is an entry that
// does not exist yet. Entries are created on first use by the event pipeline and live until the
// engine is destroyed. The analytics trackers take their fixed places in this record as they
// join the pipeline.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/analytics_accumulator.h"
#include "core/trade_classifier.h"
#include "runtime/engine/book_state.h"
#include "signals/signal_snapshot.h"

namespace qx {

struct InstrumentState {
    // Filled by book updates; read by book queries, callbacks and the trade path.
    std::optional<BookState> book;
    // Filled by trades. Held by pointer: it owns the session's recent-trade ring and profile.
    std::unique_ptr<AnalyticsAccumulator> accumulator;
    // The latest signal snapshot and its rendered explanation (trades, session reset).
    std::optional<SignalSnapshot> signal;
    std::optional<std::string> explanation;
    // Trade classification state (trades with a book).
    std::optional<TradeClassifier> classifier;
    // Last host-push sequence numbers, trades and book updates checked independently.
    std::optional<std::uint64_t> trade_sequence;
    std::optional<std::uint64_t> book_sequence;

    // True when the instrument counts as tracked: it has a book, an accumulator or a signal.
    bool tracked() const noexcept { return book || accumulator || signal; }
};

// How many instruments hold each kind of entry; kept as entries are created.
struct InstrumentCounts {
    std::uint64_t books = 0;
    std::uint64_t accumulators = 0;
    std::uint64_t signals = 0;
    std::uint64_t explanations = 0;
    std::uint64_t trade_sequences = 0;
    std::uint64_t book_sequences = 0;
    std::uint64_t tracked = 0;
};

}  // namespace qx
