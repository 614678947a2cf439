// Host-push ingest and the event pipeline every market event goes through.
#include "core/trade_inputs.h"
#include "runtime/engine/audit_events.h"
#include "runtime/engine/engine.h"

namespace qx {

namespace {
constexpr std::string_view kBlockedReason = "blocked_by_quality_gate";
}  // namespace

const InstrumentState* Engine::find(SymbolView symbol) const {
    const auto it = instruments_.find(symbol);
    return it == instruments_.end() ? nullptr : &it->second;
}

InstrumentState* Engine::find_mutable(SymbolView symbol) {
    const auto it = instruments_.find(symbol);
    return it == instruments_.end() ? nullptr : &it->second;
}

InstrumentState& Engine::state_for(const SymbolId& symbol) {
    if (const auto it = instruments_.find(symbol.view()); it != instruments_.end()) {
        return it->second;
    }
    // Values of an unordered map keep their address when it rehashes, so references handed
    // out here stay valid while later instruments are added.
    return instruments_.try_emplace(symbol).first->second;
}

void Engine::note_created(InstrumentState& state, bool was_tracked) {
    if (!was_tracked && state.tracked()) {
        ++counts_.tracked;
    }
}

QualityFlags Engine::external_sequence_flags(InstrumentState& state, std::uint64_t sequence,
                                             bool is_trade) {
    if (sequence == 0 || !enforce_sequence_) {
        return 0;
    }
    std::optional<std::uint64_t>& stored = is_trade ? state.trade_sequence : state.book_sequence;
    QualityFlags result = 0;
    if (stored) {
        if (*stored >= sequence) {
            return kOutOfOrder;
        }
        if (*stored + 1 < sequence) {
            result = kSequenceGap;
        }
    } else {
        ++(is_trade ? counts_.trade_sequences : counts_.book_sequences);
    }
    stored = sequence;
    return result;
}

template <std::size_t Kind, typename Event>
const RawEvent& Engine::single_event_batch(const Event& event) {
    // Assigning over an event of the same kind keeps its strings' capacity; the other kind is
    // parked in spare_event_, so alternating trades and book updates allocate nothing either.
    batch_.resize(1);
    RawEvent& slot = batch_[0];
    if (slot.event.index() != Kind) {
        std::swap(slot, spare_event_);
    }
    if (slot.event.index() == Kind) {
        std::get<Kind>(slot.event) = event;
    } else {
        slot.event.template emplace<Kind>(event);
    }
    return slot;
}

RuntimeResult<> Engine::ingest_trade(const TradePrint& trade, QualityFlags host_flags) {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    const RawEvent& event = single_event_batch<1>(trade);
    return ingest(event, trade.symbol, trade.sequence, true, host_flags);
}

RuntimeResult<> Engine::ingest_book(const BookUpdate& update, QualityFlags host_flags) {
    if (!started_) {
        return Unexpected(RuntimeError::not_started());
    }
    const RawEvent& event = single_event_batch<0>(update);
    return ingest(event, update.symbol, update.sequence, false, host_flags);
}

RuntimeResult<> Engine::ingest(const RawEvent& event, const SymbolId& symbol,
                               std::uint64_t sequence, bool is_trade, QualityFlags host_flags) {
    external_feed_enabled_ = true;
    QualityFlags flags = external_feed_flags();
    InstrumentState& state = state_for(symbol);
    flags |= external_sequence_flags(state, sequence, is_trade);
    last_external_event_ns_ = now_ns();
    const QualityFlags all = host_flags | flags;
    if (auto done = process_event(event, all, state); !done) {
        return done;
    }
    update_health_state(all);
    return {};
}

RuntimeResult<> Engine::process_event(const RawEvent& event, QualityFlags flags,
                                      InstrumentState& state) {
    if (persistence_ && persistence_->blocks_market_data()) {
        return Unexpected(
            RuntimeError::io("market-data persistence safety policy blocks event processing"));
    }
    auto done = event.as_book() ? process_book(*event.as_book(), flags, state)
                                : process_trade(*event.as_trade(), flags, state);
    if (!done) {
        return done;
    }
    return persist_normalized_event(event, flags);
}

RuntimeResult<> Engine::persist_normalized_event(const RawEvent& event, QualityFlags flags) {
    if (!persistence_) {
        return {};
    }
    return persistence_->persist_event(event, flags);
}

void Engine::install_market_data_persistence(std::unique_ptr<RuntimeMarketDataPersistence> p) {
    persistence_ = std::move(p);
    update_health_state(current_flags_);
}

RuntimeResult<> Engine::process_book(const BookUpdate& update, QualityFlags /*flags*/,
                                     InstrumentState& state) {
    if (!state.book) {
        const bool was_tracked = state.tracked();
        state.book.emplace();
        ++counts_.books;
        note_created(state, was_tracked);
    }
    state.book->on_book(update);
    if (store_) {
        (void)store_->append_book(update);  // the JSON-lines copy never fails the pipeline
    }
    processed_events_ = processed_events_ + 1;
    return {};
}

RuntimeResult<> Engine::process_trade(const TradePrint& trade, QualityFlags flags,
                                      InstrumentState& state) {
    if (store_) {
        (void)store_->append_trade(trade);
    }
    if (state.book) {
        const std::int64_t best_bid = state.book->best_bid();
        const std::int64_t best_ask = state.book->best_ask();
        if (!state.classifier) {
            state.classifier.emplace();
        }
        const TradeDirection direction =
            state.classifier->classify(trade.price, trade.size, best_bid, best_ask);
        // The per-trade inputs feed the microstructure trackers of the trade path; they are
        // read before the accumulator takes this trade.
        [[maybe_unused]] const TradeInputs inputs =
            derive_trade_inputs(direction, trade.price, trade.size, state.accumulator.get());
    }

    if (!state.accumulator) {
        const bool was_tracked = state.tracked();
        state.accumulator = std::make_unique<AnalyticsAccumulator>();
        ++counts_.accumulators;
        note_created(state, was_tracked);
    }
    state.accumulator->on_trade(trade);

    signal_.on_analytics(state.accumulator->snapshot());
    signal_.snapshot_into(scratch_snapshot_);
    const bool blocked = (flags & kSignalBlockingMask) != 0;
    if (blocked) {
        scratch_snapshot_.state = SignalState::Blocked;
        scratch_snapshot_.quality_flags = flags;
        scratch_snapshot_.reason.assign(kBlockedReason);
        if (auto logged = audit(kAuditSignalBlocked,
                                audit_signal_blocked_details(trade.symbol.view(), flags));
            !logged) {
            return logged;
        }
    }
    cache_signal_explanation(state, blocked ? &scratch_snapshot_ : nullptr);
    store_signal(state, scratch_snapshot_);

    processed_events_ = processed_events_ + 1;
    return {};
}

void Engine::store_signal(InstrumentState& state, const SignalSnapshot& snapshot) {
    if (!state.signal) {
        const bool was_tracked = state.tracked();
        state.signal.emplace(snapshot);
        ++counts_.signals;
        note_created(state, was_tracked);
    } else {
        *state.signal = snapshot;
    }
}

void Engine::cache_signal_explanation(InstrumentState& state, const SignalSnapshot* blocked) {
    if (blocked != nullptr && blocked->state == SignalState::Blocked) {
        scratch_explanation_.assign_from_snapshot(*blocked, SignalReasonCode::QualityBlocked);
    } else {
        signal_.explain_into(scratch_explanation_);
    }
    if (!state.explanation) {
        state.explanation.emplace();
        ++counts_.explanations;
    }
    state.explanation->clear();
    scratch_explanation_.append_json(*state.explanation);
}

}  // namespace qx
